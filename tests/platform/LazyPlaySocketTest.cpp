// The program's play server connection: its network library opened at the
// first connection, for real, against a server on 127.0.0.1.
#include "support/Eventually.h"
#include "platform/LazyPlaySocket.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {
// The network library, built beside the tests.
std::string netLibrary()
{
    return (QCoreApplication::applicationDirPath() + QStringLiteral("/net/velorin-net.so")).toStdString();
}
}  // namespace

TEST(LazyPlaySocket, TheLibraryLoadsAtTheFirstConnectionAndCarriesBothWays)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    LazyPlaySocket socket(netLibrary());
    EXPECT_EQ(socket.state(), PlaySocket::closed);
    socket.send("before any connection");  // nothing to send it on, and no crash

    int connected = 0, errors = 0;
    std::string received;
    socket.onConnected = [&] { ++connected; };
    socket.onData = [&](const std::string& d) { received += d; };
    socket.onError = [&] { ++errors; };
    socket.connectTo("127.0.0.1", server.serverPort());
    ASSERT_EVENTUALLY(connected == 1 && server.hasPendingConnections(), 5000);
    EXPECT_EQ(socket.state(), PlaySocket::connected);
    QTcpSocket* peer = server.nextPendingConnection();

    socket.send("NoteOn 60");
    ASSERT_EVENTUALLY(peer->bytesAvailable() >= 9, 5000);
    EXPECT_EQ(peer->readAll(), QByteArray("NoteOn 60"));
    peer->write("hello");
    ASSERT_EVENTUALLY_EQ(received, std::string("hello"), 5000);

    // The server going away is one failure, as on any connection.
    peer->close();
    ASSERT_EVENTUALLY(errors == 1, 5000);
    QTest::qWait(100);
    EXPECT_EQ(errors, 1);
}

TEST(LazyPlaySocket, WithoutItsLibraryAConnectionFailsOnceAsAnUnreachableServerDoes)
{
    LazyPlaySocket socket("/nonexistent/velorin-net.so");
    int errors = 0;
    socket.onError = [&] { ++errors; };
    socket.connectTo("127.0.0.1", 1);
    EXPECT_EQ(errors, 0);  // reported from the event loop, as a real failure is
    ASSERT_EVENTUALLY(errors == 1, 5000);
    EXPECT_EQ(socket.state(), PlaySocket::closed);
    EXPECT_FALSE(socket.localHostName().empty());
}
