#pragma once
// The delivered files the command-line tests use.

#include <string>

#include "scratch_folder.h"

namespace kestrix::test {

/// the delivered attenuation table and a delivered material file
inline std::string DeliveredTable() { return std::string(KESTRIX_DELIVERED_DATA) + "/MUs_202202.data"; }
inline std::string DeliveredTin() { return std::string(KESTRIX_DELIVERED_DATA) + "/Sn.ele"; }

}  // namespace kestrix::test
