// COM numbers of the system's serial ports while ports come and go during a run.

#include "link/com_port_numbering.h"

#include <gtest/gtest.h>

namespace vlr::link {
namespace {

// "COM1=ttyUSB0 COM3=ttyS0": the numbered devices by their names.
QString numbers(const ComPortTable& table) {
    QStringList entries;
    for (int i = 0; i < kComPortCount; ++i) {
        if (!table[static_cast<size_t>(i)].isEmpty())
            entries << QStringLiteral("COM%1=%2")
                           .arg(i + 1)
                           .arg(table[static_cast<size_t>(i)].section(QLatin1Char('/'), -1));
    }
    return entries.join(QLatin1Char(' '));
}

QStringList devices(const QStringList& names) {
    QStringList paths;
    for (const QString& name : names)
        paths << QStringLiteral("/dev/") + name;
    return paths;
}

TEST(ComPortNumberingTest, APortKeepsItsNumberWhileOthersComeAndGo) {
    ComPortNumbering numbering;
    const auto assign = [&](const QStringList& names) {
        return numbers(numbering.assign(devices(names)));
    };
    // At start: adapters, CDC devices, built-in ports, each family by its number.
    EXPECT_EQ(assign({"ttyS0", "ttyUSB10", "ttyACM0", "ttyUSB2"}),
              "COM1=ttyUSB2 COM2=ttyUSB10 COM3=ttyACM0 COM4=ttyS0");
    // An adapter pulled out leaves its number free; the others keep theirs.
    EXPECT_EQ(assign({"ttyS0", "ttyUSB10", "ttyACM0"}), "COM2=ttyUSB10 COM3=ttyACM0 COM4=ttyS0");
    // Devices that appear take the lowest free numbers, together in the usual order.
    EXPECT_EQ(assign({"ttyS0", "ttyUSB10", "ttyACM0", "ttyACM7", "ttyUSB5"}),
              "COM1=ttyUSB5 COM2=ttyUSB10 COM3=ttyACM0 COM4=ttyS0 COM5=ttyACM7");
    // Back, with its old number taken: the lowest free one, which it then keeps.
    EXPECT_EQ(assign({"ttyS0", "ttyUSB10", "ttyACM0", "ttyACM7", "ttyUSB5", "ttyUSB2"}),
              "COM1=ttyUSB5 COM2=ttyUSB10 COM3=ttyACM0 COM4=ttyS0 COM5=ttyACM7 COM6=ttyUSB2");
    // Two go; one of them comes back together with a newcomer that comes first in the order:
    // the one coming back has its old number, the newcomer the lowest other.
    EXPECT_EQ(assign({"ttyS0", "ttyACM0", "ttyACM7", "ttyUSB2"}),
              "COM3=ttyACM0 COM4=ttyS0 COM5=ttyACM7 COM6=ttyUSB2");
    EXPECT_EQ(assign({"ttyS0", "ttyACM0", "ttyACM7", "ttyUSB2", "ttyUSB5", "ttyUSB0"}),
              "COM1=ttyUSB5 COM2=ttyUSB0 COM3=ttyACM0 COM4=ttyS0 COM5=ttyACM7 COM6=ttyUSB2");

    // More devices than numbers: the rest wait until a number is free.
    QStringList many{"ttyS0", "ttyACM0", "ttyACM7", "ttyUSB2", "ttyUSB5", "ttyUSB0"};
    for (int i = 1; i <= 11; ++i)
        many << QStringLiteral("ttyS%1").arg(i);
    const QString full = assign(many);
    EXPECT_TRUE(full.contains("COM16=ttyS10")) << full.toStdString();
    EXPECT_FALSE(full.contains("ttyS11")) << full.toStdString();
    many.removeAll("ttyACM7");
    EXPECT_TRUE(assign(many).contains("COM5=ttyS11"));

    // A new run numbers afresh, in the usual order.
    ComPortNumbering nextRun;
    EXPECT_EQ(numbers(nextRun.assign(devices({"ttyS0", "ttyACM0", "ttyUSB2"}))),
              "COM1=ttyUSB2 COM2=ttyACM0 COM3=ttyS0");
}

}  // namespace
}  // namespace vlr::link
