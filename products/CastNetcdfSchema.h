#pragma once
// The variables of a cast's NetCDF file as a table: name, type, dimensions and
// attributes, in the order they are defined.  The writer defines the file from
// it, and the names the channels must not take come from it.  The cruise's
// profile file takes the quantities it bins from the same rows: their names,
// long names, units and standard names.  The channels'
// own variables (one per auxiliary channel, named after its label) are defined
// between the frame variables and the place variables.
#include "products/NetcdfFile.h"
#include "resources/DataTexts.h"

#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace kavro::ncschema {

inline constexpr int kNotBinned = -1;

enum class Dim { Frame, SizeClass, Bounds, Angle, StationLength, CastLength };

// When a variable is in the file.
enum class When {
    Always,
    WithTimes,  // the cast has time stamps
    WithVsf,    // some frame holds a scattering function
    WithPlace,  // the cast of a cruise: its station and position
    WithCtd,    // a CTD cast merged by time
};

enum class Value {
    None,             // the end of a variable's attributes
    LongName,         // the field's long name
    Units,            // the field's units, left out when it has none
    Text,             // name = value
    FillValue,        // the variable type's fill: NaN, -1, the time that no frame has
    TimeUnits,        // milliseconds since midnight of the cast's first day
    ValidClassRange,  // 1 .. the number of classes
    FlagMasks,        // the quality flag bits
    FlagMeanings,     // their names
    Coordinates,      // the frame's auxiliary coordinates (time, the place); left out when none
};

struct Attribute {
    Value value = Value::None;
    const char* name = nullptr;  // for Text
    const char* text = nullptr;
    // Added once every variable of the table is defined, in table order.
    bool late = false;
};

struct Variable {
    const text::DataField* field;  // the name, long name and units
    NetcdfFile::Type type;
    std::array<Dim, 2> dims;
    std::size_t rank;
    When when;
    // Over frames: compressed in chunks of a block of frames (by the class or ring width).
    bool chunked;
    std::array<Attribute, 6> attributes;
    // The bin value (BinValue of ProfileBinning) the profile file of a cruise holds
    // of the quantity, kNotBinned for none; kBinVolume for the per-class ones.
    int bin = kNotBinned;
    const char* name() const { return field->variable; }
    // The text of an attribute the row gives as a Text ("standard_name", ...); "" when none.
    const char* textOf(const char* attribute) const;
};

// The frame variables and their coordinates, in the file's order.
const std::vector<Variable>& frameVariables();
// The station and position of a cruise's cast, defined after the channels.
const std::vector<Variable>& placeVariables();
// The CTD's values at each frame, defined after the place.
const std::vector<Variable>& ctdVariables();
// Every name of the two tables: a channel named like one of them is named aux<N>.
std::set<std::string> reservedNames();
// The table's row for a name; nullptr when there is none.
const Variable* findVariable(const std::string& name);

}  // namespace kavro::ncschema
