#include "MoPixelMemory.h"

#include "MoDIBErrors.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

bool DefaultUseFMO = true;

namespace {

// The file mapping object is an anonymous memory file of the size asked, the view a shared
// mapping of all of it; the file is closed once mapped, the mapping keeps its memory.
char* MapMemory(qsizetype size) {
    const int file = memfd_create("MoDIB", MFD_CLOEXEC);
    if (file < 0)
        throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    if (ftruncate(file, off_t(size)) != 0) {
        close(file);
        throw EOutOfResources("GetMemory: Cannot Make File Mapping Object");
    }
    void* view = mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    close(file);
    if (view == MAP_FAILED)
        throw EOutOfResources("GetMemory: Cannot Make View of File Map");
    return static_cast<char*>(view);
}

} // namespace

TMoPixelMemory::TMoPixelMemory(qsizetype size, bool useFMO) : FUseFMO(useFMO) {
    if (size <= 0)
        return;
    FData = useFMO ? MapMemory(size) : static_cast<char*>(std::calloc(size_t(size), 1));
    if (!FData)
        throw EMoDIBError("GetMemory: Cannot Allocate Pixel Memory");
    FSize = size;
}

TMoPixelMemory::TMoPixelMemory(QByteArrayView bytes, bool useFMO)
    : TMoPixelMemory(bytes.size(), useFMO) {
    if (FSize > 0)
        std::memcpy(FData, bytes.data(), size_t(FSize));
}

TMoPixelMemory::TMoPixelMemory(const TMoPixelMemory& other)
    : TMoPixelMemory(other.FSize, other.FUseFMO) {
    if (FSize > 0)
        std::memcpy(FData, other.FData, size_t(FSize));
}

TMoPixelMemory& TMoPixelMemory::operator=(const TMoPixelMemory& other) {
    if (this != &other)
        *this = TMoPixelMemory(other);
    return *this;
}

TMoPixelMemory::TMoPixelMemory(TMoPixelMemory&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)),
      FUseFMO(other.FUseFMO) {}

TMoPixelMemory& TMoPixelMemory::operator=(TMoPixelMemory&& other) noexcept {
    if (this == &other)
        return *this;
    ReleaseMemory();
    FData = std::exchange(other.FData, nullptr);
    FSize = std::exchange(other.FSize, 0);
    FUseFMO = other.FUseFMO;
    return *this;
}

void TMoPixelMemory::ReleaseMemory() {
    if (!FData)
        return;
    if (FUseFMO) {
        [[maybe_unused]] const int unmapped = munmap(FData, size_t(FSize));
        Q_ASSERT_X(unmapped == 0, "ReleaseMemory", "Failed To Unmap View of File map");
    } else {
        std::free(FData);
    }
    FData = nullptr;
    FSize = 0;
}
