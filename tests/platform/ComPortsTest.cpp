#include "platform/ComPorts.h"

#include <gtest/gtest.h>

using namespace kavro;

TEST(ComPorts, NamesAPortByItsNumber)
{
    const struct {
        const char* device;
        int number;
        const char* fileName;
    } kCases[] = {
        {"COM1", 1, "\\\\.\\COM1"},
        {"com3", 3, "\\\\.\\COM3"},
        {"COM4:", 4, "\\\\.\\COM4"},          // the settings' way of naming a port
        {"COM12", 12, "\\\\.\\COM12"},        // opens only in the \\.\ form
        {"\\\\.\\COM7", 7, "\\\\.\\COM7"},
        {"\\\\.\\com256", 256, "\\\\.\\COM256"},
        {"COM257", 0, ""},
        {"COM0", 0, ""},
        {"COM01", 0, ""},
        {"COM", 0, ""},
        {"COM1x", 0, ""},
        {"COM1::", 0, ""},
        {"LPT1", 0, ""},
        {"/dev/ttyUSB0", 0, ""},
        {"", 0, ""},
        {"COM99999999999", 0, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.device);
        EXPECT_EQ(comPortNumber(c.device), c.number);
        EXPECT_EQ(comPortFileName(c.device), c.fileName);
    }
}

TEST(ComPorts, ListsTheRegistrysPortsInNumberOrder)
{
    const std::vector<SerialCommEntry> entries = {
        {"\\Device\\VCP0", "COM12"},       // an FTDI adapter
        {"\\Device\\Serial0", "COM1"},     // the board's own UART
        {"\\Device\\USBSER000", "COM3"},   // a CDC-ACM adapter
        {"\\Device\\Serial1", "COM2"},
        {"\\Device\\Silabser0", "com3"},   // the same port twice: listed once
        {"\\Device\\Odd", "not a port"},   // left out
    };
    const std::vector<SerialDevice> devices = serialDevicesFromComm(entries);
    const struct {
        const char* path;
        const char* name;
        bool adapter;
        const char* shown;
    } kExpected[] = {
        {"COM1", "\\Device\\Serial0", false, "COM1  \\Device\\Serial0"},
        {"COM2", "\\Device\\Serial1", false, "COM2  \\Device\\Serial1"},
        {"COM3", "\\Device\\USBSER000", true, "COM3  \\Device\\USBSER000"},
        {"COM12", "\\Device\\VCP0", true, "COM12  \\Device\\VCP0"},
    };
    ASSERT_EQ(devices.size(), std::size(kExpected));
    for (std::size_t i = 0; i < devices.size(); ++i) {
        SCOPED_TRACE(kExpected[i].path);
        EXPECT_EQ(devices[i].path, kExpected[i].path);
        EXPECT_EQ(devices[i].target, kExpected[i].path);
        EXPECT_EQ(devices[i].name, kExpected[i].name);
        EXPECT_EQ(devices[i].adapter, kExpected[i].adapter);
        EXPECT_EQ(describeComPort(devices[i]), kExpected[i].shown);
    }
    EXPECT_TRUE(serialDevicesFromComm({}).empty());

    // With the Device Manager's names: a port is named by its own, a present port the
    // registry lacks is added, and a name without the port is shown beside it.
    const std::vector<SerialDevice> named = serialDevicesFromComm(
        entries, {{"USB Serial Port (COM12)", "COM12"}, {"Bluetooth link", "COM7"}, {"", "COM1"}});
    ASSERT_EQ(named.size(), 5u);
    EXPECT_EQ(describeComPort(named[0]), "COM1  \\Device\\Serial0");
    EXPECT_EQ(named[3].path, "COM7");
    EXPECT_EQ(describeComPort(named[3]), "COM7  Bluetooth link");
    EXPECT_EQ(describeComPort(named[4]), "USB Serial Port (COM12)");
}
