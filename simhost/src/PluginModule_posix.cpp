// The POSIX half of the loader: dlopen, after a check of the ELF file.

#include "PluginModule.h"

#include <dlfcn.h>
#include <elf.h>

#include <algorithm>
#include <string>

#include "ModuleImage.h"

namespace simhost {

namespace {

using files::Status;

// The machine this host is built for, as ELF names it: a module built for
// another could not run here.
#if defined(__x86_64__)
constexpr Elf64_Half kMachine = EM_X86_64;
constexpr char kMachineName[] = "x86-64";
#elif defined(__aarch64__)
constexpr Elf64_Half kMachine = EM_AARCH64;
constexpr char kMachineName[] = "arm64";
#elif defined(__riscv) && __riscv_xlen == 64
constexpr Elf64_Half kMachine = EM_RISCV;
constexpr char kMachineName[] = "riscv64";
#elif defined(__powerpc64__)
constexpr Elf64_Half kMachine = EM_PPC64;
constexpr char kMachineName[] = "ppc64";
#elif defined(__s390x__)
constexpr Elf64_Half kMachine = EM_S390;
constexpr char kMachineName[] = "s390x";
#else
#error "the plugin loader knows the ELF machine of 64-bit x86, ARM, RISC-V, POWER and s390x only"
#endif

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kByteOrder = ELFDATA2LSB;
#else
constexpr unsigned char kByteOrder = ELFDATA2MSB;
#endif

// The ELF header of `image`, when it is a 64-bit ELF shared object of this
// machine's byte order and machine.
Status ReadHeader(const ModuleImage& image, Elf64_Ehdr* header) {
  if (image.size() == 0) return Status::Error("the file is empty");
  if (!image.BeginsAsIf(ELFMAG, SELFMAG)) return Status::Error("it is not an ELF file");
  if (!image.Read(0, header)) {
    return Status::Error("the file is " + std::to_string(image.size()) +
                         " bytes, shorter than its ELF header");
  }
  if (header->e_ident[EI_CLASS] != ELFCLASS64 || header->e_ident[EI_DATA] != kByteOrder) {
    return Status::Error("it is not a 64-bit ELF file of this byte order");
  }
  if (header->e_machine != kMachine) {
    return Status::Error("it is built for another machine (ELF machine " +
                         std::to_string(header->e_machine) + ")");
  }
  if (header->e_type != ET_DYN) return Status::Error("it is not a shared object");
  return Status::Ok();
}

// Every table the header points to, every loaded segment and every
// section's contents lie within the file. (A module with more than 65534
// segments or sections, which ELF counts elsewhere, is no plugin.) Each
// entry is taken to be at least as long as the structure read from it, so
// that every read lies within the file too.
Status CheckRanges(const ModuleImage& image, const Elf64_Ehdr& header) {
  const std::uint64_t segmentSize = std::max<std::uint64_t>(header.e_phentsize, sizeof(Elf64_Phdr));
  Status status = image.Within("its program headers", header.e_phoff, header.e_phnum, segmentSize);
  for (std::uint64_t i = 0; status.ok() && i < header.e_phnum; ++i) {
    Elf64_Phdr segment;
    image.Read(header.e_phoff + i * header.e_phentsize, &segment);
    if (segment.p_type == PT_LOAD) {
      status = image.Within("its segment " + std::to_string(i), segment.p_offset, 1,
                            segment.p_filesz);
    }
  }
  if (!status.ok() || header.e_shoff == 0) return status;
  const std::uint64_t sectionSize = std::max<std::uint64_t>(header.e_shentsize, sizeof(Elf64_Shdr));
  status = image.Within("its section headers", header.e_shoff, header.e_shnum, sectionSize);
  for (std::uint64_t i = 0; status.ok() && i < header.e_shnum; ++i) {
    Elf64_Shdr section;
    image.Read(header.e_shoff + i * header.e_shentsize, &section);
    if (section.sh_type != SHT_NOBITS) {
      status = image.Within("its section " + std::to_string(i), section.sh_offset, 1,
                            section.sh_size);
    }
  }
  return status;
}

}  // namespace

Status PluginModule::CheckImage(const std::string& path, const std::string& bytes) {
  const ModuleImage image(bytes);
  Elf64_Ehdr header;
  Status status = ReadHeader(image, &header);
  if (status.ok()) status = CheckRanges(image, header);
  if (status.ok()) return status;
  return Status::Error("plugin module " + path + " is not a complete " + kMachineName +
                       " ELF module: " + status.message());
}

void* PluginModule::OpenLibrary(const std::string& path, std::string* error) {
  // A path is a path: a bare file name is the file in the current folder,
  // which dlopen would instead look for in the system's library folders.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  // Local: every module keeps its own `exports`, getPlugin and deleteMe.
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* text = dlerror();
    *error = text ? text : "unknown error";
    // dlerror begins with the file's name, which the caller's message gives.
    if (error->compare(0, file.size() + 2, file + ": ") == 0) error->erase(0, file.size() + 2);
  }
  return handle;
}

void* PluginModule::FindSymbol(void* handle, const char* name) {
  dlerror();
  return dlsym(handle, name);
}

void PluginModule::CloseLibrary(void* handle) { dlclose(handle); }

}  // namespace simhost
