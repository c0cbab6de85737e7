#pragma once

#include <QByteArray>
#include <QByteArrayView>

// UseFMO of every new image: its pixels in a file mapping on the system's swap (True, the
// library's default) or in heap memory.
extern bool DefaultUseFMO;

// The pixel memory of one image, zero-filled when taken: with UseFMO a shared mapping of an
// anonymous memory file (swap stands for the page file), so that many large page images do
// not load the heap; without, heap memory. A copy takes memory of the same kind.
class TMoPixelMemory {
public:
    // No pixels, of the default kind.
    TMoPixelMemory() = default;
    // Raises EOutOfResources when the mapping cannot be made.
    TMoPixelMemory(qsizetype size, bool useFMO);
    // A copy of `bytes`, in a mapping when `useFMO`.
    TMoPixelMemory(QByteArrayView bytes, bool useFMO);
    TMoPixelMemory(const TMoPixelMemory& other);
    TMoPixelMemory& operator=(const TMoPixelMemory& other);
    TMoPixelMemory(TMoPixelMemory&& other) noexcept;
    TMoPixelMemory& operator=(TMoPixelMemory&& other) noexcept;
    ~TMoPixelMemory() { ReleaseMemory(); }

    bool UseFMO() const { return FUseFMO; }
    qsizetype size() const { return FSize; }
    bool isEmpty() const { return FSize == 0; }
    char* data() { return FData; }
    const char* data() const { return FData; }
    const char* constData() const { return FData; }
    char& operator[](qsizetype i) { return FData[i]; }
    operator QByteArrayView() const { return {FData, FSize}; }
    friend bool operator==(const TMoPixelMemory& a, QByteArrayView b) {
        return QByteArrayView(a) == b;
    }
    friend bool operator==(const TMoPixelMemory& a, const TMoPixelMemory& b) {
        return QByteArrayView(a) == QByteArrayView(b);
    }

private:
    void ReleaseMemory();

    char* FData = nullptr;
    qsizetype FSize = 0;
    bool FUseFMO = DefaultUseFMO;
};
