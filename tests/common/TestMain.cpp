#include "protocol/CommRequests.h"

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// Four TCP ports free now, for the programs' servers in this test process and its children:
// tests run side by side, so none of them may take the fixed ones.
QByteArray FreeRequestPorts() {
    std::vector<std::unique_ptr<QTcpServer>> taken;
    QStringList ports;
    for (int i = 0; i < 4; ++i) {
        taken.push_back(std::make_unique<QTcpServer>());
        if (!taken.back()->listen(QHostAddress::Any, 0))
            return {};
        ports << QString::number(taken.back()->serverPort());
    }
    return ports.join(',').toLatin1();
}

} // namespace

// Every test program runs with a QApplication, offscreen, with a registry, a runtime folder
// (where the programs' local sockets live) and request ports of its own, however it is
// started.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("ZEZODUZU_REGISTRY", (runtime.path() + "/registry.ini").toLocal8Bit());
    // Where the tests find the programs and tools they start.
    if (qEnvironmentVariableIsEmpty("ZZ_BUILD_DIR"))
        qputenv("ZZ_BUILD_DIR", ZZ_BUILD_DIR);
    QApplication app(argc, argv);
    qputenv(TestPortsVariable, FreeRequestPorts());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
