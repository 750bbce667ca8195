// Tests of the bounded whole-file reader: what it answers for whole, cut, missing and unreadable
// files, and that nothing it is pointed at can make it block.
#include "files/file_reader.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/scratch_dir.hpp"

namespace cadencio::files {
namespace {

using testing::ScratchDir;
using testing::WriteBytes;

TEST(FileReader, ReportsWhatItFound) {
  ScratchDir dir;
  WriteBytes(dir / "f", "abcdef");
  WriteBytes(dir / "empty", "");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::size_t limit;
    FileReadStatus status;
    std::string bytes;
  };
  const Case cases[] = {
      {dir / "f", 6, FileReadStatus::kOk, "abcdef"},
      {dir / "f", 100, FileReadStatus::kOk, "abcdef"},
      {dir / "f", 4, FileReadStatus::kTooLarge, "abcd"},  // the first part is kept
      {dir / "empty", 4, FileReadStatus::kOk, ""},
      {dir / "none", 4, FileReadStatus::kMissing, ""},
      {dir / "f" + "/below", 4, FileReadStatus::kMissing, ""},  // a file in a directory's place
      {dir.path(), 4, FileReadStatus::kFailed, ""},
      {dir / "fifo", 4, FileReadStatus::kFailed, ""},  // refused, without waiting for a writer
  };
  for (const Case& c : cases) {
    const FileContent content = ReadWholeFile(c.path, c.limit);
    EXPECT_EQ(content.status, c.status) << c.path << " within " << c.limit;
    EXPECT_EQ(content.bytes, c.bytes) << c.path << " within " << c.limit;
  }
}

TEST(FileReader, DataFilesAreWholeOrNothing) {
  ScratchDir dir;
  WriteBytes(dir / "rules", "a=b\n");
  EXPECT_EQ(ReadDataFile(dir / "rules"), "a=b\n");
  EXPECT_FALSE(ReadDataFile(dir / "none"));
  EXPECT_FALSE(ReadDataFile(dir.path()));
  EXPECT_FALSE(ReadDataFile(""));
}

}  // namespace
}  // namespace cadencio::files
