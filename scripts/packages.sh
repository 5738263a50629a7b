# The Debian packages the scripts install (sourced by run.sh and test.sh).
# Build: Qt 6 Widgets and PrintSupport, Qt SVG for the cast pictures, CLI11 for kavro-cli,
# the Liberation fonts that stand in for Arial and Times New Roman; netCDF-C for the
# NetCDF export and libdeflate for its compression; UDUNITS-2 to check the exports' units.
KAVRO_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libqt6svg6-dev libcli11-dev fonts-liberation fontconfig pkg-config libnetcdf-dev libdeflate-dev libudunits2-dev)
# Tests: GoogleTest and Google Benchmark; clang and its runtime for the fuzz targets;
# poppler-utils (pdftotext, pdftoppm) to read printed pages and PDF pictures back;
# netcdf-bin, xarray and pandas to read the NetCDF and CSV exports back; GNU parallel,
# Slurm and munge for the archive recipes of docs/data.md that the tests run (the Slurm
# test starts its own one-node cluster).
KAVRO_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev poppler-utils netcdf-bin python3-xarray python3-netcdf4 python3-pandas parallel slurm-wlm munge)
# The Windows build (scripts/build-windows.sh): mingw-w64 with POSIX threads, wine to run
# the programs and tests, socat for the live check, GoogleTest's sources to build for Windows,
# ncdump to read the NetCDF files of kavro-cli.exe back; NSIS for the installer; Debian's
# Qt tools (moc, rcc, uic) for the Qt built from source; Xvfb, xdotool and ImageMagick
# to see the desktop program under wine.
KAVRO_WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 socat googletest libcli11-dev netcdf-bin nsis qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils xvfb xauth x11-utils xdotool imagemagick poppler-utils fonts-liberation)
