#pragma once

#include "data/UserData.h"

#include <cstddef>

namespace test
{
// Slot lists whose every usable slot holds a unit taken from a file (Loaded), each with a
// payload of `payloadSize` bytes: what SEND ALL writes in full.
w40388_data::UserData makeLoadedUserData(std::size_t payloadSize);
} // namespace test
