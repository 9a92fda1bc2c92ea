#include "CUSBEnumerateData.h"

CUSBEnumerateData::~CUSBEnumerateData() = default;
