// Writes seed inputs for fuzz_block: real blocks in the "behind a PE header"
// shape (first byte 0) and one whole packed file (first byte 1).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/block_format.h"
#include "support/test_image.h"

namespace {

bool writeSeed(const std::string& path, uint8_t shape, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fputc(shape, f);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::string dir = argv[1];
  mkdir(dir.c_str(), 0755);
  zvt::block::Content c;
  c.entries = {{101, "MyService"}, {107, "4"}, {146, ""}};
  c.messages = {{1000, L"Error"}, {1009, L"code {0}"}};
  c.sets = {{"de", {{1000, L"Fehler"}}}, {"de_AT", {{1000, L"Fehler AT"}}}};
  c.files = {{{1, 2, 3, 4}}};
  std::vector<uint8_t> blk = zvt::block::write(c);
  std::vector<uint8_t> whole = zvt::test::makeImage(3);
  whole.insert(whole.end(), blk.begin(), blk.end());
  bool ok = writeSeed(dir + "/block", 0, blk) && writeSeed(dir + "/block_de", 2, blk) &&
            writeSeed(dir + "/whole", 1, whole) && writeSeed(dir + "/empty", 0, zvt::block::write({}));
  if (!ok) std::perror("fuzz_seed");
  return ok ? 0 : 1;
}
