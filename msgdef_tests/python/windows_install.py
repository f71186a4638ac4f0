"""cmake --install of a Windows build lays Python out as a ROS 2 install on
Windows has it: Python files under Lib/site-packages/<package>/, DLLs in bin/.

  windows_install.py <cmake> <build folder> <prefix to install into>"""
import os
import shutil
import subprocess
import sys

SITE = 'Lib/site-packages'
EXPECTED = [
    f'{SITE}/velmari_messages/velmari_messages_s__rosidl_typesupport_c.pyd',
    f'{SITE}/velmari_messages/__init__.py',
    f'{SITE}/velmari_messages/msg/__init__.py',
    f'{SITE}/velmari_messages/msg/_control.py',
    f'{SITE}/velmari_messages/srv/_add_three_ints.py',
    f'{SITE}/navunit_common_msgs/navunit_common_msgs_s__rosidl_typesupport_introspection_c.pyd',
    f'{SITE}/navunit_common_msgs/msg/_zodizu610.py',
    f'{SITE}/msgdef_py/_cdr.pyd',
    f'{SITE}/msgdef_py/message.py',
    'bin/velmari_messages__python.dll',
    'bin/navunit_common_msgs__python.dll',
    'bin/velmari_messages__rosidl_typesupport_c.dll',
]


def main(cmake, build, prefix):
    shutil.rmtree(prefix, ignore_errors=True)
    subprocess.run([cmake, '--install', build, '--prefix', prefix], check=True,
                   stdout=subprocess.DEVNULL)
    installed = {os.path.relpath(os.path.join(folder, name), prefix).replace(os.sep, '/')
                 for folder, _, names in os.walk(prefix) for name in names}
    missing = [path for path in EXPECTED if path not in installed]
    # Modules only under site-packages, DLLs only in bin/.
    misplaced = sorted(path for path in installed
                       if (path.endswith('.pyd') and not path.startswith(SITE + '/'))
                       or (path.endswith('.dll') and not path.startswith('bin/')))
    for path in missing:
        print('missing:', path)
    for path in misplaced:
        print('misplaced:', path)
    return 1 if missing or misplaced else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:]))
