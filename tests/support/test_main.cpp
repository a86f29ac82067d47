#include <QApplication>
#include <QLocale>

#include "support/pg_server.h"

#include <gtest/gtest.h>

namespace {

// Stops the test server of the binary, if a test started one, after the last test.
class PgServerEnvironment : public ::testing::Environment {
public:
    void TearDown() override { vlr::test::PgServer::shutDown(); }
};

}  // namespace

// One application object for every test: widgets, timers and the SQL plugins need it.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PgServerEnvironment);
    return RUN_ALL_TESTS();
}
