#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The kind of unit a header describes. The same numbers appear in the header's
// target word, in the module-tag table and in the instrument's SysEx messages.
enum class UnitModule : int
{
    Global = 0,
    ModulationEffect = 1,
    DelayEffect = 2,
    ReverbEffect = 3,
    Oscillator = 4,
};

constexpr int numUnitModules = 5;

// The instrument a unit was built for: position of its manifest key plus one.
enum class UnitPlatform : int
{
    Undefined = 0,
    Cantorel = 1,
    ParvolinVr = 2,
    FeltanDigital = 3, // the instrument this program serves
};

// Type byte of a parameter descriptor.
enum class UnitParamType : std::uint8_t
{
    PercentUnipolar = 0, // "%" with min >= 0
    PercentBipolar = 1,  // "%" with min < 0
    Plain = 2,           // ""
};

// Manifest keys, in table order (the module number is the position, the platform
// code the position plus one, the parameter type key position as looked up).
inline constexpr std::array<std::string_view, 5> moduleKeys{"global", "modfx", "delfx", "revfx", "osc"};
inline constexpr std::array<std::string_view, 3> platformKeys{"cantorel", "parvolin-vr", "feltan-digital"};
inline constexpr std::array<std::string_view, 2> paramTypeKeys{"%", ""};

// Four ASCII bytes per module, read at module * 4.
inline constexpr char moduleTags[] = "UGLBUMODUDELUREVUOSC";
constexpr std::size_t moduleTagSize = 4;

// File extensions of unit files, lower case with the dot: cantorel, parvolin-vr, this instrument.
inline constexpr std::array<std::string_view, 3> unitFileExtensions{".cntlunit", ".prvlvrunit", ".ftndigunit"};

// Member names looked up inside a unit file's top folder.
inline constexpr std::array<std::string_view, 2> unitMemberNames{"manifest.json", "payload.bin"};
inline constexpr std::string_view unitManifestName = unitMemberNames[0];
inline constexpr std::string_view unitPayloadName = unitMemberNames[1];

// Exact, case-sensitive lookups; an unknown key has no number.
std::optional<UnitModule> unitModuleFromKey(std::string_view key);
std::optional<UnitPlatform> unitPlatformFromKey(std::string_view key);
std::optional<int> paramTypeIndexFromKey(std::string_view key);

// The 4-byte tag of a module number 0..4; empty for any other number.
std::string_view moduleTag(int module);

// Version word: bits 16-22 major, 8-14 minor, 0-6 patch.
constexpr std::uint32_t makeUnitVersionWord(unsigned major, unsigned minor, unsigned patch)
{
    return (major & 0x7Fu) << 16 | (minor & 0x7Fu) << 8 | (patch & 0x7Fu);
}

// "%u.%02u-%u" with every part capped at 99.
std::string formatUnitVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t patch);

// formatUnitVersion of the three 7-bit parts of a version word.
std::string formatUnitVersionWord(std::uint32_t word);

// One parameter of an oscillator unit, as held in 16 header bytes.
struct UnitParamDescriptor
{
    static constexpr std::size_t size = 16;
    static constexpr std::size_t nameOffset = 3;
    static constexpr std::size_t maxNameLength = 13;

    std::int8_t min = 0;
    std::int8_t max = 0;
    std::uint8_t type = 0;
    std::string name; // at most 13 printable characters

    bool operator==(const UnitParamDescriptor& other) const
    {
        return min == other.min && max == other.max && type == other.type && name == other.name;
    }
};

// The 1024-byte little-endian header of a unit, kept as raw bytes so that it can
// travel unchanged into unit data blocks and SysEx messages. Built by the manifest
// check, read by the slot lists, the MIDI jobs and the import flow.
class UnitHeader
{
public:
    static constexpr std::size_t size = 1024;
    static constexpr std::size_t targetOffset = 0;
    static constexpr std::size_t apiOffset = 2;
    static constexpr std::size_t devIdOffset = 6;
    static constexpr std::size_t prgIdOffset = 10;
    static constexpr std::size_t versionOffset = 14;
    static constexpr std::size_t nameOffset = 18;
    static constexpr std::size_t nameFieldSize = 14;
    static constexpr std::size_t maxNameLength = 13;
    static constexpr std::size_t numParamOffset = 32;
    static constexpr std::size_t paramsOffset = 36;
    // Descriptor 60 ends at byte 1011, inside the 1020 bytes a data block keeps.
    static constexpr std::size_t maxParamDescriptors = 61;
    // Target word to name: the part slot records copy and the instrument reports back.
    static constexpr std::size_t summarySize = 32;

    UnitHeader() = default;

    // Copies up to 1024 bytes; the rest stays zero.
    UnitHeader(const void* bytes, std::size_t numBytes);

    const std::uint8_t* data() const { return bytes.data(); }
    std::uint8_t* data() { return bytes.data(); }

    std::uint16_t getTarget() const;
    void setTarget(std::uint16_t target);
    void setTarget(UnitPlatform platform, UnitModule module);
    int getModule() const { return getTarget() & 0x7F; }
    int getPlatform() const { return (getTarget() >> 8) & 0x7F; }

    std::uint32_t getApi() const { return readWord(apiOffset); }
    void setApi(std::uint32_t word) { writeWord(apiOffset, word); }
    std::uint32_t getDevId() const { return readWord(devIdOffset); }
    void setDevId(std::uint32_t id) { writeWord(devIdOffset, id); }
    std::uint32_t getPrgId() const { return readWord(prgIdOffset); }
    void setPrgId(std::uint32_t id) { writeWord(prgIdOffset, id); }
    std::uint32_t getVersion() const { return readWord(versionOffset); }
    void setVersion(std::uint32_t word) { writeWord(versionOffset, word); }

    // The name up to its first zero byte, at most 14 bytes.
    std::string getName() const;
    // Stores at most 13 bytes and a zero; the rest of the field is cleared.
    void setName(std::string_view name);
    // True when a zero byte ends the name within its field.
    bool hasTerminatedName() const;

    std::uint32_t getNumParam() const { return readWord(numParamOffset); }
    void setNumParam(std::uint32_t count) { writeWord(numParamOffset, count); }

    // Descriptor access for index 0..60; anything else reads as an empty
    // descriptor and is refused on writing (returns false, writes nothing).
    UnitParamDescriptor getParam(std::size_t index) const;
    bool setParam(std::size_t index, const UnitParamDescriptor& descriptor);

    bool operator==(const UnitHeader& other) const { return bytes == other.bytes; }
    bool operator!=(const UnitHeader& other) const { return bytes != other.bytes; }

private:
    std::uint32_t readWord(std::size_t offset) const;
    void writeWord(std::size_t offset, std::uint32_t value);

    std::array<std::uint8_t, size> bytes{};
};
