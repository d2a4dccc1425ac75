// The Windows half of the loader: LoadLibrary, after a check of the PE file.

#include "PluginModule.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "ModuleImage.h"
#include "files/SystemError.h"
#include "files/Utf16.h"

namespace simhost {

namespace {

using files::Status;

// The machine this host is built for, as PE names it.
#if defined(__x86_64__) || defined(_M_X64)
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr char kMachineName[] = "x64";
#elif defined(__aarch64__) || defined(_M_ARM64)
constexpr WORD kMachine = IMAGE_FILE_MACHINE_ARM64;
constexpr char kMachineName[] = "ARM64";
#else
#error "the plugin loader knows the PE machine of 64-bit x86 and ARM only"
#endif

// The offset of the PE headers in `image`, and its file header, when it is
// a DLL of this machine.
Status ReadHeaders(const ModuleImage& image, LONG* headers, IMAGE_FILE_HEADER* file) {
  if (image.size() == 0) return Status::Error("the file is empty");
  if (!image.BeginsAsIf("MZ", 2)) return Status::Error("it is not a PE file");
  IMAGE_DOS_HEADER dos;
  if (!image.Read(0, &dos)) {
    return Status::Error("the file is " + std::to_string(image.size()) +
                         " bytes, shorter than its DOS header");
  }
  DWORD signature = 0;
  Status status = image.Within("its PE headers", static_cast<DWORD>(dos.e_lfanew), 1,
                               sizeof signature + sizeof *file);
  if (!status.ok()) return status;
  image.Read(static_cast<DWORD>(dos.e_lfanew), &signature);
  image.Read(static_cast<DWORD>(dos.e_lfanew) + sizeof signature, file);
  if (signature != IMAGE_NT_SIGNATURE) return Status::Error("it is not a PE file");
  if (file->Machine != kMachine) {
    char machine[8];
    std::snprintf(machine, sizeof machine, "0x%04X", file->Machine);
    return Status::Error("it is built for another machine (PE machine " + std::string(machine) +
                         ")");
  }
  if ((file->Characteristics & IMAGE_FILE_DLL) == 0) return Status::Error("it is not a DLL");
  *headers = dos.e_lfanew;
  return Status::Ok();
}

// The optional header is a PE32+ one, and it, the section table, every
// section's contents and the symbol and string tables lie within the file.
Status CheckRanges(const ModuleImage& image, DWORD headers, const IMAGE_FILE_HEADER& file) {
  const std::uint64_t optional = headers + sizeof(DWORD) + sizeof file;
  IMAGE_OPTIONAL_HEADER64 header;
  if (file.SizeOfOptionalHeader < sizeof header || !image.Read(optional, &header) ||
      header.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    return Status::Error("it is not a PE32+ (64-bit) image");
  }
  Status status = image.Within("its headers", 0, 1, header.SizeOfHeaders);
  const std::uint64_t table = optional + file.SizeOfOptionalHeader;
  if (status.ok()) {
    status = image.Within("its section table", table, file.NumberOfSections,
                          sizeof(IMAGE_SECTION_HEADER));
  }
  for (WORD i = 0; status.ok() && i < file.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    image.Read(table + i * sizeof section, &section);
    status = image.Within("its section " + std::to_string(i), section.PointerToRawData, 1,
                          section.SizeOfRawData);
  }
  if (!status.ok() || file.PointerToSymbolTable == 0) return status;
  // The symbol table, and the string table after it, which begins with its
  // own size.
  constexpr std::uint64_t kSymbolSize = 18;
  status = image.Within("its symbol table", file.PointerToSymbolTable, file.NumberOfSymbols,
                        kSymbolSize);
  const std::uint64_t strings = file.PointerToSymbolTable + file.NumberOfSymbols * kSymbolSize;
  DWORD length = 0;
  if (status.ok() && !image.Read(strings, &length)) {
    return image.Within("its string table", strings, 1, sizeof length);
  }
  return status.ok() ? image.Within("its string table", strings, 1, length) : status;
}

}  // namespace

Status PluginModule::CheckImage(const std::string& path, const std::string& bytes) {
  const ModuleImage image(bytes);
  LONG headers = 0;
  IMAGE_FILE_HEADER file;
  Status status = ReadHeaders(image, &headers, &file);
  if (status.ok()) status = CheckRanges(image, static_cast<DWORD>(headers), file);
  if (status.ok()) return status;
  return Status::Error("plugin module " + path + " is not a complete " + kMachineName +
                       " PE module: " + status.message());
}

void* PluginModule::OpenLibrary(const std::string& path, std::string* error) {
  // An absolute path, so that the module's own folder is searched for the
  // libraries it needs (the host library beside it).
  std::error_code ignored;
  std::filesystem::path full = std::filesystem::absolute(files::Widen(path), ignored);
  if (full.empty()) full = files::Widen(path);
  void* handle = reinterpret_cast<void*>(
      LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (handle == nullptr) *error = files::LastSystemError();
  return handle;
}

void* PluginModule::FindSymbol(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void PluginModule::CloseLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

}  // namespace simhost
