#include "link/com_port_names.h"

#include <gtest/gtest.h>

namespace vlr::link {
namespace {

QProcessEnvironment environmentWith(
    std::initializer_list<std::pair<const char*, const char*>> vars) {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin"));
    for (const auto& [name, value] : vars)
        environment.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return environment;
}

TEST(ComPortNamesTest, VariablesNameExactlyThePortsThatExist) {
    const ComPortTable table =
        comPortTable(environmentWith({{"VLR_COM3", "/dev/pts/7"}, {"VLR_COM16", "/tmp/last"}}),
                     {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS0")});
    for (int i = 0; i < kComPortCount; ++i) {
        if (i == 2)
            EXPECT_EQ(table[i], QStringLiteral("/dev/pts/7"));
        else if (i == 15)
            EXPECT_EQ(table[i], QStringLiteral("/tmp/last"));
        else
            EXPECT_TRUE(table[i].isEmpty()) << "COM" << i + 1 << " exists";
    }
}

TEST(ComPortNamesTest, AnEmptyVariableStillSwitchesTheSystemPortsOff) {
    const ComPortTable table =
        comPortTable(environmentWith({{"VLR_COM1", ""}}), {QStringLiteral("/dev/ttyUSB0")});
    for (const QString& device : table)
        EXPECT_TRUE(device.isEmpty());
}

TEST(ComPortNamesTest, SystemPortsAreNumberedUsbFirstThenAcmThenBuiltInByNumber) {
    const ComPortTable table =
        comPortTable(environmentWith({{"VLR_COM", "not a port variable"}}),
                     {QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB10"),
                      QStringLiteral("/dev/ttyAMA0"), QStringLiteral("/dev/ttyACM0"),
                      QStringLiteral("/dev/ttyUSB2"), QStringLiteral("/dev/ttyS0")});
    const QStringList expected{QStringLiteral("/dev/ttyUSB2"), QStringLiteral("/dev/ttyUSB10"),
                               QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0"),
                               QStringLiteral("/dev/ttyS1"),   QStringLiteral("/dev/ttyAMA0")};
    for (int i = 0; i < kComPortCount; ++i)
        EXPECT_EQ(table[i], i < expected.size() ? expected[i] : QString()) << "COM" << i + 1;
}

TEST(ComPortNamesTest, OnlySixteenSystemPortsGetANumber) {
    QStringList devices;
    for (int i = 20; i >= 0; --i)
        devices << QStringLiteral("/dev/ttyUSB%1").arg(i);
    const ComPortTable table = comPortTable(QProcessEnvironment(), devices);
    EXPECT_EQ(table[0], QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(table[15], QStringLiteral("/dev/ttyUSB15"));
}

}  // namespace
}  // namespace vlr::link
