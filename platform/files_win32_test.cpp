// What only Windows has: share modes, access lists, and files held open by another program.
#include "platform/files.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#undef ReplaceFile  // ours, not the Win32 macro for ReplaceFileW

#include "tests/support.h"

namespace {

// WSJT-X's side: ALL.TXT kept open for writing, shared with readers, appended to.
struct Writer {
  HANDLE handle;
  explicit Writer(const wchar_t* path)
      : handle(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~Writer() { CloseHandle(handle); }
  bool Append(const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  }
};

}  // namespace

TEST(SharedReading, TheDecodeFileStaysReadableWhileTheDecoderAppends) {
  ScratchFolder folder;
  Writer decoder(L"ALL.TXT");
  ASSERT_NE(decoder.handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(decoder.Append("210308_120000    14.074 Rx FT8    -10  0.1 1500 CQ W1ABC FN42\r\n"));
  int error = 0;
  std::FILE* file = OpenExistingForReading("ALL.TXT", FileShare::kReadWrite, error);
  ASSERT_NE(file, nullptr) << error;
  int64_t first = OpenFileSize(file);
  EXPECT_EQ(first, 63);
  ASSERT_TRUE(decoder.Append("210308_120015    14.074 Rx FT8    -12  0.2 1600 N0VANE K1XYZ FN31\r\n"));
  EXPECT_EQ(OpenFileSize(file), first + 67);
  std::string appended;
  ASSERT_TRUE(ReadOpenFileAt(file, first, 67, appended));
  EXPECT_EQ(appended.substr(48, 12), "N0VANE K1XYZ");
  std::fclose(file);

  // A file asked for alone is refused while another program has it open.
  EXPECT_EQ(OpenExistingForReading("ALL.TXT", FileShare::kExclusive, error), nullptr);
  EXPECT_EQ(error, 70);
}

// A busy station's ALL.TXT passes 4 GB: sizes and offsets beyond 32 bits.
TEST(SharedReading, SizesAndOffsetsPassFourGigabytes) {
  ScratchFolder folder;
  HANDLE handle = CreateFileW(L"big.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  DWORD ignored = 0;
  DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER distant{};
  distant.QuadPart = 4'500'000'000LL;
  SetFilePointerEx(handle, distant, nullptr, FILE_BEGIN);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(handle, "CQ DX\r\n", 7, &written, nullptr));
  CloseHandle(handle);
  int error = 0;
  std::FILE* file = OpenExistingForReading("big.txt", FileShare::kReadWrite, error);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(OpenFileSize(file), 4'500'000'007LL);
  std::string bytes;
  ASSERT_TRUE(ReadOpenFileAt(file, 4'500'000'000LL, 100, bytes));
  EXPECT_EQ(bytes, "CQ DX\r\n");
  EXPECT_EQ(OpenFileOffset(file), 4'500'000'007LL);
  std::fclose(file);
}

TEST(PrivateFiles, AreMadeAnewForUsAlone) {
  ScratchFolder folder;
  WriteFile("QRZ_Data.tmp", "someone else's");
  int error = 0;
  std::FILE* file = OpenPrivateFileForWriting("QRZ_Data.tmp", error);
  ASSERT_NE(file, nullptr) << error;
  std::fputs("session", file);
  EXPECT_TRUE(FlushToDisk(file));
  std::fclose(file);
  EXPECT_EQ(ReadFileBytes("QRZ_Data.tmp"), "session");
  EXPECT_TRUE(IsOwnerOnlyFile("QRZ_Data.tmp"));

  WriteFile("Config.ini", "old");
  EXPECT_FALSE(IsOwnerOnlyFile("Config.ini"));  // what the folder gives every new file
  file = OpenForWritingFile("Config.ini", true, error);
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_TRUE(IsOwnerOnlyFile("Config.ini"));
  EXPECT_EQ(ReadFileBytes("Config.ini"), "");
}

TEST(ReplaceFile, PutsTheNewFileInThePlaceOfTheOld) {
  ScratchFolder folder;
  WriteFile("Config.ini", "old");
  WriteFile("Config.ini.new", "new");
  EXPECT_TRUE(ReplaceFile("Config.ini.new", "Config.ini"));
  EXPECT_EQ(ReadFileBytes("Config.ini"), "new");
  EXPECT_FALSE(FileExists("Config.ini.new"));
}
