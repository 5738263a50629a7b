# The Debian packages the scripts install (sourced by run.sh and test.sh).
# Build: Qt 6 Widgets and PrintSupport, CLI11 for kavro-cli, the Liberation fonts
# that stand in for Arial and Times New Roman.
KAVRO_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libcli11-dev fonts-liberation fontconfig)
# Tests: GoogleTest and Google Benchmark; clang and its runtime for the fuzz targets;
# poppler-utils (pdftotext, pdftoppm) to read printed pages back.
KAVRO_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev poppler-utils)
