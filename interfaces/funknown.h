// The root of every interface: identity by 16-byte id and reference counting.
//
// Ownership rule of the whole interface set: an interface pointer handed out by a return
// value or an out parameter carries a reference that the receiver releases once, unless
// the operation's contract says "borrowed".
#pragma once

#include "ftypes.h"

namespace Host {

class FUnknown {
public:
    // Asks for another interface of the same object. On success *obj holds it with an
    // added reference (the caller releases it) and the result is kResultOk; otherwise
    // *obj is null and the result is kNoInterface.
    virtual tresult queryInterface(const FUID& interfaceId, void** obj) = 0;
    // Adds a reference; returns the new count.
    virtual uint32 addRef() = 0;
    // Drops a reference; the object is destroyed when the count reaches 0. Returns the new
    // count.
    virtual uint32 release() = 0;

    static constexpr FUID iid =
        FUID::make(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

protected:
    ~FUnknown() = default;
};

}  // namespace Host
