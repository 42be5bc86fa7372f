// Typed little-endian field reads with the check beside the read, over any source of
// whole fields (the file reader, the view of one chunk, a sub-range of it). A fixed-size
// field is read whole or not at all; a field that cannot be read, or whose value lies
// outside its range, raises the field's message. Ranges are inclusive; a float fails a
// range only when it compares outside it, so a NaN passes, as the app's own reader lets it
// through.
//
// A record's layout is said once, as a tuple of TypedFields in file order: the count check
// before its records are made (ChunkView::requireRecords) and the reads (readRecord, or
// read() field by field) both walk it.
//
// Source provides `[[nodiscard]] bool readBytes(void* out, std::size_t size)`, which
// consumes nothing when it fails, and `std::uint64_t fieldOffset() const`, the file offset
// of the next field (where a value found out of range began).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <tuple>
#include <type_traits>

#include "reader/reader_error.h"

namespace Tessaro {

// One field of a record as the file holds it: its type, and so its size, the range its
// value must lie in (all of the type's values when none is given) and the message of a read
// that fails or finds it outside.
template <class T>
struct TypedField {
    using Type = T;
    static constexpr std::uint8_t kSize = sizeof(T);

    const char* message;
    T lo = std::numeric_limits<T>::has_infinity ? -std::numeric_limits<T>::infinity()
                                                : std::numeric_limits<T>::lowest();
    T hi = std::numeric_limits<T>::has_infinity ? std::numeric_limits<T>::infinity()
                                                : std::numeric_limits<T>::max();
};

// The bytes of a record's fields: where the next record begins when its record size says
// no more.
template <class... T>
constexpr std::uint64_t recordSize(const std::tuple<TypedField<T>...>&) {
    return (std::uint64_t{0} + ... + sizeof(T));
}

template <class Source>
class FieldReads {
public:
    std::uint8_t u8(const char* message) { return load<std::uint8_t>(message); }
    std::int8_t i8(const char* message) { return load<std::int8_t>(message); }
    std::uint16_t u16(const char* message) { return load<std::uint16_t>(message); }
    std::int16_t i16(const char* message) { return load<std::int16_t>(message); }
    std::uint32_t u32(const char* message) { return load<std::uint32_t>(message); }
    float f32(const char* message) {
        const std::uint32_t bits = u32(message);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    std::uint8_t u8In(std::uint8_t lo, std::uint8_t hi, const char* message) {
        return checked<std::uint8_t>(lo, hi, message);
    }
    std::int8_t i8In(std::int8_t lo, std::int8_t hi, const char* message) {
        return checked<std::int8_t>(lo, hi, message);
    }
    std::uint16_t u16In(std::uint16_t lo, std::uint16_t hi, const char* message) {
        return checked<std::uint16_t>(lo, hi, message);
    }
    std::int16_t i16In(std::int16_t lo, std::int16_t hi, const char* message) {
        return checked<std::int16_t>(lo, hi, message);
    }
    std::uint32_t u32In(std::uint32_t lo, std::uint32_t hi, const char* message) {
        return checked<std::uint32_t>(lo, hi, message);
    }
    float f32In(float lo, float hi, const char* message) {
        const std::uint64_t at = source().fieldOffset();
        const float value = f32(message);
        if (value < lo || value > hi) failAt(message, at);
        return value;
    }
    // A float from 0 to 1.
    float unit(const char* message) { return f32In(0.0f, 1.0f, message); }

    // A field of a record layout: read, then held to its range.
    template <class T>
    T read(const TypedField<T>& field) {
        if constexpr (std::is_same_v<T, float>)
            return f32In(field.lo, field.hi, field.message);
        else
            return checked<T>(field.lo, field.hi, field.message);
    }
    // A whole record, its fields read and checked one by one in file order (the first that
    // fails raises its message).
    template <class... T>
    std::tuple<T...> readRecord(const std::tuple<TypedField<T>...>& layout) {
        return std::apply([this](const auto&... field) { return std::tuple<T...>{read(field)...}; },
                          layout);
    }
    // A fixed-size run of bytes, such as a four-byte id, read whole or raising message.
    template <std::size_t N>
    std::array<std::uint8_t, N> bytes(const char* message) {
        std::array<std::uint8_t, N> out{};
        if (!source().readBytes(out.data(), N)) fail(message);
        return out;
    }

protected:
    // The value of a little-endian field of sizeof(T) bytes.
    template <class T>
    static T decode(const std::uint8_t* bytes) {
        using U = std::make_unsigned_t<T>;
        U value = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            value = static_cast<U>(value | (static_cast<U>(bytes[i]) << (8 * i)));
        return static_cast<T>(value);
    }

private:
    Source& source() { return *static_cast<Source*>(this); }

    template <class T>
    T load(const char* message) {
        std::uint8_t bytes[sizeof(T)];
        if (!source().readBytes(bytes, sizeof bytes)) fail(message);
        return decode<T>(bytes);
    }
    // A value out of range fails at its field's first byte.
    template <class T>
    T checked(T lo, T hi, const char* message) {
        const std::uint64_t at = source().fieldOffset();
        const T value = load<T>(message);
        if (value < lo || value > hi) failAt(message, at);
        return value;
    }
};

}  // namespace Tessaro
