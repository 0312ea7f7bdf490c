// Bounds-checked reads from an in-memory file image. Every read states the
// offset it wants; a read that would leave the image fails instead of
// touching memory outside it, so hostile offsets in a file are harmless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::platform::version {

enum class ByteOrder { Little, Big };

class ByteView {
public:
    ByteView(const std::uint8_t* data, std::size_t size, ByteOrder order = ByteOrder::Little)
        : data_(data), size_(size), order_(order) {}
    explicit ByteView(const std::vector<std::uint8_t>& bytes, ByteOrder order = ByteOrder::Little)
        : ByteView(bytes.data(), bytes.size(), order) {}

    std::size_t Size() const { return size_; }
    ByteOrder Order() const { return order_; }
    ByteView WithOrder(ByteOrder order) const { return ByteView(data_, size_, order); }

    // True when [offset, offset + length) lies inside the image; immune to
    // overflow of offset + length.
    bool Contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }

    // The sub-range [offset, offset + length), or an empty view when it does
    // not fit.
    bool Slice(std::uint64_t offset, std::uint64_t length, ByteView& out) const
    {
        if (!Contains(offset, length))
            return false;
        out = ByteView(data_ + offset, static_cast<std::size_t>(length), order_);
        return true;
    }

    bool U8(std::uint64_t offset, std::uint8_t& out) const
    {
        if (!Contains(offset, 1))
            return false;
        out = data_[offset];
        return true;
    }
    bool U16(std::uint64_t offset, std::uint16_t& out) const { return Read(offset, 2, out); }
    bool U32(std::uint64_t offset, std::uint32_t& out) const { return Read(offset, 4, out); }
    bool U64(std::uint64_t offset, std::uint64_t& out) const { return Read(offset, 8, out); }

private:
    template <typename T>
    bool Read(std::uint64_t offset, unsigned width, T& out) const
    {
        if (!Contains(offset, width))
            return false;
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            const unsigned shift = order_ == ByteOrder::Little ? 8 * i : 8 * (width - 1 - i);
            value |= static_cast<std::uint64_t>(data_[offset + i]) << shift;
        }
        out = static_cast<T>(value);
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    ByteOrder order_;
};

}  // namespace orvane::platform::version
