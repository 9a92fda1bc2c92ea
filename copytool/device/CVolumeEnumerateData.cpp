#include "CVolumeEnumerateData.h"

CVolumeEnumerateData::~CVolumeEnumerateData() = default;
