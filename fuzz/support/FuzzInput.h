// Typed values taken off the front of a fuzz input, so that one input
// decodes into a structured state and request (a display layout, a change
// of settings). An exhausted input yields zeros and empty texts, so every
// input decodes to something. Take values in separate statements (or in a
// braced list): the order in which a function's arguments are evaluated
// differs between compilers, and with it what a saved input decodes to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace orvane::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t Remaining() const { return m_size - m_used; }

    // Raw bits, little end first, so a single changed byte changes one value.
    template <typename T>
    T Integral()
    {
        static_assert(std::is_integral_v<T> || std::is_floating_point_v<T>, "a number type");
        unsigned char bytes[sizeof(T)] = {};
        for (std::size_t i = 0; i < sizeof(T) && m_used < m_size; ++i)
            bytes[i] = m_data[m_used++];
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

    bool Bool() { return Integral<std::uint8_t>() & 1; }

    // 0 .. count-1; count must not be 0.
    std::uint32_t Below(std::uint32_t count) { return Integral<std::uint8_t>() % count; }

    // Any double: NaN, infinities and huge values included.
    double Real() { return Integral<double>(); }

    // A length byte (up to maxLength), then that many bytes.
    std::string Text(std::size_t maxLength)
    {
        std::size_t length = Integral<std::uint8_t>() % (maxLength + 1);
        if (length > Remaining())
            length = Remaining();
        std::string text(reinterpret_cast<const char*>(m_data + m_used), length);
        m_used += length;
        return text;
    }

    std::vector<std::uint8_t> Rest()
    {
        std::vector<std::uint8_t> rest(m_data + m_used, m_data + m_size);
        m_used = m_size;
        return rest;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_used = 0;
};

}  // namespace orvane::fuzz
