#pragma once

#include <array>
#include <cstddef>

// Outcome of reading or importing a unit file. The number indexes the text-key
// table below; 0 means success and is never shown. The unit-file reader produces
// NoError, FailedToUncompressZipFile, FailedToReadUserUnitFile, InvalidUserUnitFile,
// UserUnitFileMissingManifest, UserUnitFileMissingPayload and
// FailedToParseUserUnitManifest; the import flow produces the others it uses.
enum class ReadError : int
{
    NoError = 0,
    OpenFile = 1,
    InvalidType = 2,
    InvalidType1 = 3,
    InvalidType2 = 4,
    InvalidType3 = 5,
    InvalidType4 = 6,
    InvalidType5 = 7,
    InvalidType6 = 8,
    InvalidType7 = 9,
    InvalidType8 = 10,
    ReadData = 11,
    DifferentTargetDevice = 12,
    FailedToUncompressZipFile = 13,
    FailedToParseXmlDocument = 14,
    InvalidXmlDocument = 15,
    FailedToReadUserUnitFile = 16,
    InvalidUserUnitFile = 17,
    InvalidModuleForUserUnitFile = 18,
    UserUnitFileMissingManifest = 19,
    UserUnitFileMissingPayload = 20,
    FailedToParseUserUnitManifest = 21,
    FailedToParseUserUnitData = 22,
    FailedToImportUserUnitData = 23,
    FailedToFindFreeModFXSlot = 24,
    FailedToFindFreeDelFXSlot = 25,
    FailedToFindFreeRevFXSlot = 26,
    FailedToFindFreeOscSlot = 27,
    UserUnitFileWrongModule = 28,
};

constexpr int numReadErrors = 29;

// Localisation keys of the codes, indexed by code.
// Text keys
inline constexpr std::array<const char*, numReadErrors> readErrorKeys{
    "ReadErrorNoError",
    "ReadErrorOpenFile",
    "ReadErrorInvalidType",
    "ReadErrorInvalidType1",
    "ReadErrorInvalidType2",
    "ReadErrorInvalidType3",
    "ReadErrorInvalidType4",
    "ReadErrorInvalidType5",
    "ReadErrorInvalidType6",
    "ReadErrorInvalidType7",
    "ReadErrorInvalidType8",
    "ReadErrorReadData",
    "ReadErrorDifferentTargetDevice",
    "ReadErrorFailedToUncompressZipFile",
    "ReadErrorFailedToParseXmlDocument",
    "ReadErrorInvalidXmlDocument",
    "ReadErrorFailedToReadUserUnitFile",
    "ReadErrorInvalidUserUnitFile",
    "ReadErrorInvalidModuleForUserUnitFile",
    "ReadErrorUserUnitFileMissingManifest",
    "ReadErrorUserUnitFileMissingPayload",
    "ReadErrorFailedToParseUserUnitManifest",
    "ReadErrorFailedToParseUserUnitData",
    "ReadErrorFailedToImportUserUnitData",
    "ReadErrorFailedToFindFreeModFXSlot",
    "ReadErrorFailedToFindFreeDelFXSlot",
    "ReadErrorFailedToFindFreeRevFXSlot",
    "ReadErrorFailedToFindFreeOscSlot",
    "ReadErrorUserUnitFileWrongModule",
};

// The key of a code; an empty key for a number outside the table.
constexpr const char* getReadErrorKey(int code)
{
    return code >= 0 && code < numReadErrors ? readErrorKeys[static_cast<std::size_t>(code)] : "";
}

constexpr const char* getReadErrorKey(ReadError code)
{
    return getReadErrorKey(static_cast<int>(code));
}
