#!/usr/bin/env bash
# Assembles the MSVC-ABI sysroot that cmake/clang-cl-x86_64-msvc.cmake builds
# with, from free parts only, into <folder> (once; a finished one is kept):
#   bin/clang-cl      clang in its cl-compatible mode (Debian ships no clang-cl without clang-tools)
#   lib/ucrt.lib, vcruntime.lib, msvcprt.lib, kernel32.lib, ...
#                     import libraries named as MSVC names them, made from the
#                     export tables of Wine's PE DLLs
#   lib/msvcrt.lib    the static part of the runtime, from crt/ here (startup,
#                     atexit, TLS, /GS, thread-safe statics, operator new/delete)
#   lib/msvcprt.lib   msvcp140.dll's imports and the STL's static part
#   lib/oldnames.lib  empty: the compiler names it, nothing here needs its aliases
# The headers are read where they lie: include/ here (the vcruntime headers and
# the overlays of Wine's CRT headers), Microsoft's STL, Wine's headers.
#
#   scripts/msvc/sysroot.sh <folder>
# MSGDEF_MSVC_STL: a clone of microsoft/STL at tag vs-2019-16.10 (default:
# ../shared/third_party/microsoft-stl beside the repository).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
[ -f "$out/sysroot.done" ] && exit 0
llvm=/usr/lib/llvm-16/bin
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
stl=${MSGDEF_MSVC_STL:-$here/../../../shared/third_party/microsoft-stl}
[ -f "$stl/stl/inc/yvals_core.h" ] || { echo "Microsoft's STL not found at $stl (set MSGDEF_MSVC_STL)" >&2; exit 1; }
stl=$(cd "$stl" && pwd)

rm -rf "$out" && mkdir -p "$out/bin" "$out/lib" "$out/obj"
ln -s "$llvm/clang" "$out/bin/clang-cl"
echo "$stl" > "$out/stl-path"

# import_lib <name> <dll>... [--without <dll>...]: <name>.lib for the DLLs.
import_lib() {
  local name=$1; shift
  local dlls=()
  for dll; do [ "$dll" = --without ] && dlls+=("$dll") || dlls+=("$wine_dlls/$dll"); done
  /usr/bin/python3 "$here/import_library.py" "$llvm" "$out/lib/$name.lib" "${dlls[@]}"
}
import_lib vcruntime vcruntime140.dll vcruntime140_1.dll
import_lib ucrt ucrtbase.dll --without vcruntime140.dll vcruntime140_1.dll
import_lib msvcp140 msvcp140.dll msvcp140_1.dll msvcp140_2.dll msvcp140_atomic_wait.dll
for dll in kernel32 user32 advapi32 shell32 ws2_32 ntdll bcrypt ole32; do
  import_lib "$dll" "$dll.dll"
done

# The static runtime: compiled without the stack cookie (it sets the cookie
# up) and without default-library records of its own.
wine_headers=/usr/include/wine/wine
flags=(--target=x86_64-pc-windows-msvc -fms-compatibility-version=19.29
  -imsvc "$stl/stl/inc" -imsvc "$here/include" -imsvc "$wine_headers/msvcrt" -imsvc "$wine_headers/windows"
  -D_USE_STD_VECTOR_ALGORITHMS=0 /EHsc /MD /std:c++17 /O2 /GS- /Zl)
warnings=(/W4 /WX)
for source in "$here"/crt/*.cpp "$stl/stl/src/nothrow.cpp"; do
  [ "$(basename "$source")" = new_delete.cpp ] && continue
  "$out/bin/clang-cl" "${flags[@]}" "${warnings[@]}" /c "/Fo$out/obj/$(basename "${source%.cpp}").obj" -- "$source"
done
# One object per allocation function, each replaceable on its own.
functions=$(grep -c '^#.*if MSVC_ALLOCATION_FUNCTION ==' "$here/crt/new_delete.cpp")
for ((i = 0; i < functions; ++i)); do
  "$out/bin/clang-cl" "${flags[@]}" "${warnings[@]}" /DMSVC_ALLOCATION_FUNCTION=$i /c "/Fo$out/obj/new_delete_$i.obj" -- "$here/crt/new_delete.cpp"
done
"$llvm/clang" --target=x86_64-pc-windows-msvc -c "$here/crt/chkstk.S" -o "$out/obj/chkstk.obj"
"$llvm/llvm-lib" "/out:$out/lib/msvcrt.lib" "$out"/obj/*.obj

# msvcprt.lib: the imports of msvcp140.dll and the STL's parts that MSVC
# links statically (std::filesystem's and system_error's Windows calls),
# compiled from the STL's sources with the few headers they expect by other
# names (stl_sources/).
mkdir -p "$out/obj/stl"
for source in filesystem syserror_import_lib; do
  "$out/bin/clang-cl" "${flags[@]}" /w -imsvc "$here/stl_sources" /c "/Fo$out/obj/stl/$source.obj" \
    -- "$stl/stl/src/$source.cpp"
done
"$llvm/llvm-lib" "/out:$out/lib/msvcprt.lib" "$out/lib/msvcp140.lib" "$out"/obj/stl/*.obj
echo 'namespace msvc_oldnames {}' > "$out/obj/oldnames.cpp"
"$out/bin/clang-cl" "${flags[@]}" /c "/Fo$out/obj/oldnames.obj" -- "$out/obj/oldnames.cpp"
"$llvm/llvm-lib" "/out:$out/lib/oldnames.lib" "$out/obj/oldnames.obj"
touch "$out/sysroot.done"
