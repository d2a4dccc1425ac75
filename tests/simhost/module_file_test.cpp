// A plugin file that is no complete module of this system and machine, as
// an interrupted copy leaves one or another machine's build is, is refused
// before the system's loader maps it, naming the file and what is wrong
// with it: never a crash, and nothing loaded.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#ifndef _WIN32
#  include <sys/stat.h>
#endif

#include "HostFixture.h"
#include "Paths.h"
#include "TestFiles.h"

namespace vantorel_test {
namespace {

class ModuleFileTest : public HostFixture {
 protected:
  // Writes `bytes` to a file of the test's own named as a module is, and
  // returns what loading it says.
  std::string LoadRefusedCopy(const std::string& bytes) {
    const std::string copy =
        TempPath("copy" + std::filesystem::u8path(PluginModule()).extension().u8string());
    WriteFile(copy, bytes);
    const std::string error = LoadRefused(copy);
    EXPECT_EQ(error.rfind("plugin module " + copy + " is not a complete ", 0), 0u) << error;
    EXPECT_FALSE(host_.pluginLoaded());
    return error;
  }

  const std::string module_ = ReadFile(PluginModule());
};

// Cut at the start, inside the first header, inside the headers' tables,
// halfway and one byte short of the end.
TEST_F(ModuleFileTest, ACopyCutShortIsRefused) {
  ASSERT_GT(module_.size(), 4096u);
  const std::pair<std::size_t, std::string> cuts[] = {
      {0, "the file is empty"},
      {3, "the file is 3 bytes, shorter than its "},
      {100, "the file ends at byte 100, before the end of its "},
      {module_.size() / 2, "the file ends at byte " + std::to_string(module_.size() / 2)},
      {module_.size() - 1, "the file ends at byte " + std::to_string(module_.size() - 1)}};
  for (const auto& [length, reason] : cuts) {
    SCOPED_TRACE(length);
    const std::string error = LoadRefusedCopy(module_.substr(0, length));
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

// A file of another kind, and the module with one field of its headers
// changed: built for another machine, or of another kind of image.
TEST_F(ModuleFileTest, WhatIsNoModuleOfThisMachineIsRefused) {
  struct Change {
    std::size_t at;
    char mask;  // the bits of the byte at `at` that are turned over
    const char* reason;
  };
#ifdef _WIN32
  std::uint32_t pe = 0;  // where the "PE\0\0" signature and the headers after it stand
  std::memcpy(&pe, module_.data() + 0x3c, sizeof pe);
  const Change changes[] = {{pe + 4, 1, "it is built for another machine (PE machine "},
                            {pe + 4 + 19, 0x20, "it is not a DLL"},
                            {pe + 24 + 1, 3, "it is not a PE32+ (64-bit) image"}};
  const char* notAModule = "it is not a PE file";
#else
  const Change changes[] = {{18, 1, "it is built for another machine (ELF machine "},
                            {4, 3, "it is not a 64-bit ELF file of this byte order"},
                            {16, 1, "it is not a shared object"}};
  const char* notAModule = "it is not an ELF file";
#endif
  for (const Change& change : changes) {
    SCOPED_TRACE(change.reason);
    std::string changed = module_;
    changed[change.at] = static_cast<char>(changed[change.at] ^ change.mask);
    const std::string error = LoadRefusedCopy(changed);
    EXPECT_NE(error.find(std::string(": ") + change.reason), std::string::npos) << error;
  }
  const std::string error = LoadRefusedCopy("#!/bin/sh\n");
  EXPECT_NE(error.find(notAModule), std::string::npos) << error;
}

#ifndef _WIN32
// A FIFO would keep the loader waiting for a writer that never comes.
TEST_F(ModuleFileTest, AFifoIsRefusedWithoutWaiting) {
  const std::string fifo = TempPath("module.so");
  std::filesystem::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(LoadRefused(fifo), "cannot open plugin module " + fifo + ": a FIFO, not a regular file");
}
#endif

}  // namespace
}  // namespace vantorel_test
