#include "platform/TcpPlaySocket.h"
#include "platform/net/NetLibraryApi.h"

extern "C" __attribute__((visibility("default"))) PlaySocket* velorin_net_play_socket_1()
{
    return new TcpPlaySocket();
}
