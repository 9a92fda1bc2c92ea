// The machine most device tests run on:
//
//   controller 0 (\\.\HCD0 and an interface path) - root hub 0
//     port 1: hub A
//       port 1: nothing   port 2: hub B   port 3: a device that failed enumeration
//       hub B, port 1: the USB disk (volumes E: and F:)   port 2: nothing
//     port 2: nothing connected (though the hub still reports a descriptor and driver key)
//   controller 1 (\\.\HCD1 and an interface path) - root hub 1
//     port 1: a card reader whose string descriptors cannot be read (volume G:), with a
//             second function whose device ID cannot be read
//     port 2: a keyboard whose driver key cannot be read
//
// The interface list names controller 1 before controller 0, and its driver keys differ
// in letter case from what the fixed names report. The fixed disk holds C: and Z:; D: has
// a volume interface without a device node; one volume interface has no mount point.
#pragma once

#include "FakeMachine.h"

namespace devicetest {

extern const GUID kVolumeInterface;
extern const GUID kHostControllerInterface;

class StandardMachine : public FakeMachine {
public:
    StandardMachine();

    static const wchar_t* const kController0Key;
    static const wchar_t* const kController1Key;
    static const wchar_t* const kRootHub0;
    static const wchar_t* const kRootHub1;
    static const wchar_t* const kHubA;
    static const wchar_t* const kHubB;
    static const wchar_t* const kController0Interface;
    static const wchar_t* const kController1Interface;

    DEVINST volmgr = 0, volC = 0, volE = 0, volF = 0, volG = 0, volZ = 0, volShadow = 0;
    DEVINST fixedDisk = 0;
    DEVINST usbDevice = 0, usbDisk = 0;
    DEVINST cardReader = 0, cardDisk = 0, cardBroken = 0;
    DEVINST keyboard = 0;
    DEVINST hubA = 0, hubB = 0, rootHub0 = 0, rootHub1 = 0;
};

}  // namespace devicetest
