// A build without the netCDF library (KAVRO_NETCDF=OFF): every NetCDF output is
// refused with a message naming the file, and nothing is written.
#include "core/CastReader.h"
#include "products/CastExport.h"
#include "products/ProfileDataset.h"
#include "resources/DataTexts.h"

namespace kavro {

bool netcdfExportBuilt()
{
    return false;
}

void writeNetcdf(const std::string&, const std::string& out, const ExportContext&)
{
    throw CastError(out + ": " + text::kNetcdfNotBuilt);
}

void writeNetcdfInPlace(const std::string& out, const std::function<void(const std::string&)>&)
{
    throw CastError(out + ": " + text::kNetcdfNotBuilt);
}

bool netcdfMadeWithCalibration(const std::string&, const ExportContext&)
{
    return false;
}

void writeProfileDataset(const std::vector<ProfileCast>&, const std::string& out, const ProfileDatasetOptions&)
{
    throw CastError(out + ": " + text::kNetcdfNotBuilt);
}

}  // namespace kavro
