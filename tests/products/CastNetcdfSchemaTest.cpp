// The NetCDF file of a cast holds what its table of variables says, and the
// channels never take a name of the table.
#include "products/CastExport.h"
#include "products/CastNetcdfSchema.h"
#include "products/NetcdfFile.h"
#include "products/ProfileBinning.h"
#include "products/ProfileDataset.h"
#include "tests/support/SyntheticCast.h"

#include <gtest/gtest.h>
#include <map>
#include <netcdf.h>
#include <set>

using namespace kavro;
using namespace kavro::test;

namespace {

struct Variable {
    nc_type type = NC_NAT;
    std::vector<std::string> dims;
};

std::map<std::string, Variable> variablesOf(const std::string& path)
{
    std::map<std::string, Variable> vars;
    int nc = -1;
    EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &nc), NC_NOERR) << path;
    int count = 0;
    nc_inq_nvars(nc, &count);
    for (int v = 0; v < count; ++v) {
        char name[NC_MAX_NAME + 1] = {};
        int ndims = 0, dims[NC_MAX_VAR_DIMS] = {};
        Variable var;
        nc_inq_var(nc, v, name, &var.type, &ndims, dims, nullptr);
        for (int d = 0; d < ndims; ++d) {
            char dim[NC_MAX_NAME + 1] = {};
            nc_inq_dimname(nc, dims[d], dim);
            var.dims.push_back(dim);
        }
        vars[name] = var;
    }
    nc_close(nc);
    return vars;
}

const char* dimName(ncschema::Dim d)
{
    switch (d) {
    case ncschema::Dim::Frame: return "frame";
    case ncschema::Dim::SizeClass: return "size_class";
    case ncschema::Dim::Bounds: return "bounds";
    case ncschema::Dim::Angle: return "vsf_angle";
    case ncschema::Dim::StationLength: return "station_strlen";
    case ncschema::Dim::CastLength: return "cast_strlen";
    }
    return "";
}

struct SchemaCase {
    const char* name;
    bool times, vsf, place;
};

}  // namespace

TEST(CastNetcdfSchema, TheFileHoldsTheTablesVariablesAndTheChannelsAvoidTheirNames)
{
    const std::vector<SchemaCase> cases = {
        {"a plain cast", false, false, false},
        {"time stamps and a scattering function", true, true, false},
        {"a cruise's cast with time stamps", true, false, true},
        {"a cruise's cast with a scattering function", false, true, true},
    };
    for (const SchemaCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string psd = dir.file("c.psd");
        std::string bytes = bytesOf(encodePsdHeader(0, 2.0, "/cal/zsc.asc"));
        CFrameResult diameters;
        for (int k = 0; k < kClasses; ++k)
            diameters.setDiameter(k, 2.0 + k);
        bytes += bytesOf(encodeDiameterRecord(diameters));
        for (int f = 0; f < 5; ++f) {
            CFrameResult r = syntheticFrame({.pressure = 1.0 + f, .sizeClass = 3 + f});
            for (int i = 0; i < kRings; ++i)
                r.setVsf(i, c.vsf ? -2.0 - 0.1 * i : 0.0);
            bytes += bytesOf(encodeOutputRecord(buildOutputRecord(r)));
        }
        writeFile(psd, bytes);
        if (c.times)
            writeFile(dir.file("c.time.csv"), "frame,utc\n1,2026-12-09T02:20:45.123Z\n3,2026-12-09T02:20:46.123Z\n");
        ExportContext context;
        // Channels labelled like the file's own variables, one like no other.
        const char* labels[kAux] = {"Latitude", "Station", "Quality flag", "Time", "Pressure", "Size class", "Frame",
                                    "Turbidity"};
        for (int i = 0; i < kAux; ++i)
            context.channels[static_cast<std::size_t>(i)].label = labels[i];
        if (c.place)
            context.place = ExportContext::Place{"C 1", "St 1", 54.5, 7.25};
        const std::string out = dir.file("c.nc");
        ASSERT_NO_THROW(writeNetcdf(psd, out, context));
        std::map<std::string, Variable> vars = variablesOf(out);

        std::set<std::string> expected;
        for (const auto* table : {&ncschema::frameVariables(), &ncschema::placeVariables()}) {
            for (const ncschema::Variable& v : *table) {
                const bool present = v.when == ncschema::When::Always ||
                                     (v.when == ncschema::When::WithTimes && c.times) ||
                                     (v.when == ncschema::When::WithVsf && c.vsf) ||
                                     (v.when == ncschema::When::WithPlace && c.place);
                SCOPED_TRACE(v.name());
                ASSERT_EQ(vars.count(v.name()), present ? 1u : 0u);
                EXPECT_TRUE(ncschema::reservedNames().count(v.name()));
                if (!present)
                    continue;
                const Variable& got = vars[v.name()];
                EXPECT_EQ(got.type, NetcdfFile::libraryType(v.type));
                ASSERT_EQ(got.dims.size(), v.rank);
                for (std::size_t d = 0; d < v.rank; ++d)
                    EXPECT_EQ(got.dims[d], dimName(v.dims[d]));
                vars.erase(v.name());
            }
        }
        // What is left are the channels: every label that names a variable of the
        // table gives aux<N>, the others their own name.
        const std::set<std::string> channels = {"aux1", "aux2", "aux3", "aux4", "pressure", "aux6", "aux7", "turbidity"};
        std::set<std::string> left;
        for (const auto& [name, var] : vars) {
            left.insert(name);
            EXPECT_EQ(var.type, NC_FLOAT) << name;
            EXPECT_EQ(var.dims, std::vector<std::string>{"frame"}) << name;
        }
        EXPECT_EQ(left, channels);
    }
}

TEST(CastNetcdfSchema, EveryNameOfTheTablesIsReservedAndFoundOnce)
{
    std::size_t rows = 0;
    for (const auto* table : {&ncschema::frameVariables(), &ncschema::placeVariables()})
        for (const ncschema::Variable& v : *table) {
            ++rows;
            ASSERT_EQ(ncschema::findVariable(v.name()), &v) << v.name();
        }
    EXPECT_EQ(ncschema::reservedNames().size(), rows);  // no name twice
    EXPECT_EQ(ncschema::findVariable("turbidity"), nullptr);
}

// The profile file of a cruise bins the rows of the table that say so, under their
// names, units and standard names, and keeps one layout of the size classes
// whether its casts share their class diameters or not.
TEST(CastNetcdfSchema, TheCruiseFileBinsTheRowsThatSaySo)
{
    for (const bool shared : {true, false}) {
        SCOPED_TRACE(shared ? "one model" : "two models");
        TempDir dir;
        std::vector<ProfileCast> casts(2);
        for (std::size_t i = 0; i < casts.size(); ++i) {
            casts[i].name = "c" + std::to_string(i);
            casts[i].latitude = 54.0;
            casts[i].longitude = 7.0;
            casts[i].model = shared ? 0 : static_cast<int>(i);
            for (std::size_t k = 0; k < kClasses; ++k)
                casts[i].diameters[k] = (shared || i == 0 ? 5.0 : 2.5) * std::pow(1.18, static_cast<double>(k));
            casts[i].profile.bins.resize(2);
        }
        const std::string out = dir.file("p.nc");
        ASSERT_NO_THROW(writeProfileDataset(casts, out, {}));
        std::map<std::string, Variable> vars = variablesOf(out);
        for (const ncschema::Variable& row : ncschema::frameVariables()) {
            if (row.bin == ncschema::kNotBinned) {
                // The coordinates the two files share; nothing else of the frames.
                const std::set<std::string> shared = {"time", "size_class", "size_class_bounds"};
                EXPECT_EQ(vars.count(row.name()), shared.count(row.name())) << row.name();
                continue;
            }
            const bool perClass = row.bin == kBinVolume;
            for (const std::string& name : {std::string(row.name()), std::string(row.name()) + "_std"}) {
                const bool spread = name.size() > 4 && name.substr(name.size() - 4) == "_std";
                SCOPED_TRACE(name);
                ASSERT_EQ(vars.count(name), spread && perClass ? 0u : 1u);
                if (spread && perClass)
                    continue;
                EXPECT_EQ(vars[name].dims.size(), perClass ? 3u : 2u);
                EXPECT_EQ(netcdfTextAttribute(out, name, "units"), row.field->units);
                EXPECT_EQ(netcdfTextAttribute(out, name, "standard_name"), row.textOf("standard_name"));
            }
        }
        EXPECT_EQ(vars["size_class"].type, NC_INT);
        const std::vector<std::string> perProfile = {"profile", "size_class"};
        EXPECT_EQ(vars["size_class_diameter"].dims, shared ? std::vector<std::string>{"size_class"} : perProfile);
        EXPECT_EQ(vars["size_class_bounds"].dims.size(), shared ? 2u : 3u);
        EXPECT_EQ(netcdfTextAttribute(out, "volume_concentration", "coordinates"),
                  "time latitude longitude depth size_class_diameter");
    }
}
