// Bounds-checked reads from a file image, in memory or read from the file
// piece by piece. Every read states the offset it wants; a read that would
// leave the image fails instead of touching memory outside it, so hostile
// offsets in a file are harmless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane::platform::version {

enum class ByteOrder { Little, Big };

// Bytes that are not in memory as a whole (a file read on demand).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies [offset, offset + length) to out; false when it cannot.
    virtual bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t length) const = 0;
};

class ByteView {
public:
    ByteView(const std::uint8_t* data, std::size_t size, ByteOrder order = ByteOrder::Little)
        : data_(data), size_(size), order_(order) {}
    explicit ByteView(const std::vector<std::uint8_t>& bytes, ByteOrder order = ByteOrder::Little)
        : ByteView(bytes.data(), bytes.size(), order) {}
    // size bytes of source from its start; the source must outlive the view.
    ByteView(const ByteSource& source, std::uint64_t size, ByteOrder order = ByteOrder::Little)
        : source_(&source), size_(size), order_(order) {}

    std::uint64_t Size() const { return size_; }
    ByteOrder Order() const { return order_; }
    ByteView WithOrder(ByteOrder order) const
    {
        ByteView view = *this;
        view.order_ = order;
        return view;
    }

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
        out = *this;
        out.size_ = length;
        if (data_)
            out.data_ = data_ + offset;
        else
            out.base_ = base_ + offset;
        return true;
    }

    bool U8(std::uint64_t offset, std::uint8_t& out) const { return Bytes(offset, 1, &out); }
    bool U16(std::uint64_t offset, std::uint16_t& out) const { return Read(offset, 2, out); }
    bool U32(std::uint64_t offset, std::uint32_t& out) const { return Read(offset, 4, out); }
    bool U64(std::uint64_t offset, std::uint64_t& out) const { return Read(offset, 8, out); }

private:
    bool Bytes(std::uint64_t offset, unsigned width, std::uint8_t* out) const
    {
        if (!Contains(offset, width))
            return false;
        if (!data_)
            return source_ && source_->Read(base_ + offset, out, width);
        for (unsigned i = 0; i < width; ++i)
            out[i] = data_[offset + i];
        return true;
    }

    template <typename T>
    bool Read(std::uint64_t offset, unsigned width, T& out) const
    {
        std::uint8_t bytes[8];
        if (!Bytes(offset, width, bytes))
            return false;
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            const unsigned shift = order_ == ByteOrder::Little ? 8 * i : 8 * (width - 1 - i);
            value |= static_cast<std::uint64_t>(bytes[i]) << shift;
        }
        out = static_cast<T>(value);
        return true;
    }

    const std::uint8_t* data_ = nullptr;
    const ByteSource* source_ = nullptr;
    std::uint64_t base_ = 0;  // where a source-backed view starts in its source
    std::uint64_t size_;
    ByteOrder order_;
};

}  // namespace orvane::platform::version
