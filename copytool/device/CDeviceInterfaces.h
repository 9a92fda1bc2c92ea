// The real Setup API behind IDeviceInterfaces.
#pragma once

#include "IDeviceInterfaces.h"

namespace Marlin {

class CDeviceInterfaces : public IDeviceInterfaces {
public:
    CDeviceInterfaces() = default;
    ~CDeviceInterfaces() override;

    std::vector<Entry> List(const GUID& interfaceClass) override;
};

}  // namespace Marlin
