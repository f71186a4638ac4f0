// Runs a fuzz target over the files given (or the files of the folders
// given), once each, without libFuzzer: the seed corpora as regression tests.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t * data, std::size_t size);

int main(int argc, char ** argv)
{
  std::set<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    if (std::filesystem::is_directory(argv[i])) {
      for (const auto & entry : std::filesystem::directory_iterator(argv[i])) {
        files.insert(entry.path());
      }
    } else {
      files.insert(argv[i]);
    }
  }
  for (const auto & file : files) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
  }
  std::printf("%zu inputs ran\n", files.size());
  return files.empty() ? 1 : 0;
}
