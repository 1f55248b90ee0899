#pragma once

// The door between the program and its network library (velorin-net.so):
// one function that makes a play server connection. The name carries the
// version, so that another build's library is not taken for this one's.
class PlaySocket;

#define VELORIN_NET_ENTRY "velorin_net_play_socket_1"
using VelorinNetSocketMaker = PlaySocket* (*)();
