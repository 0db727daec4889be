#pragma once

#include "data/UnitHeader.h"

#include <boost/property_tree/ptree_fwd.hpp>

#include <cstddef>
#include <memory>
#include <string>

// Largest manifest text the reader parses, and deepest nesting of arrays and
// objects: real manifests are a few hundred bytes, three or four levels deep. The
// JSON parser recurses once per level, so deeper text is refused before parsing.
constexpr std::size_t maxManifestBytes = 1024 * 1024;
constexpr int maxManifestDepth = 64;

// Reads the bytes of a unit file's manifest.json: refuses text larger or nested deeper
// than the bounds above before parsing (brackets inside JSON strings do not count),
// decodes it as UTF-8 up to any zero byte, parses the JSON and checks it with
// parseUnitManifest. Returns the header, or null with message saying why (for
// malformed JSON, the parser's text). Used by the unit-file reader.
std::unique_ptr<UnitHeader> readUnitManifest(const void* bytes, std::size_t numBytes, std::string& message);

// Validates the "header" object of a parsed manifest.json and converts it into a
// fresh, zero-filled unit header. Stops at the first fault and returns null with
// message set to everything written so far (clipping warnings included); on success
// message holds the warnings, or nothing.
std::unique_ptr<UnitHeader> parseUnitManifest(const boost::property_tree::ptree& manifest, std::string& message);
