// What a later launch and the running instance say to each other over the launch socket.
//
// A launch hands its arguments over in one or more parts, each over a connection of its own:
//   launcher -> instance   the request: a WireHeader, then the flattened B_ARGV_RECEIVED
//   instance -> launcher   kHeld, once it has read and checked the whole request
//   launcher -> instance   kConfirm
// The part is handed over exactly when the launcher's kConfirm reaches the instance's socket.
// The instance posts the request when it reads kConfirm, and drops it on anything else: the
// end of the connection, another byte, or silence until its deadline. An instance that gives
// up on a connection first shuts the connection's reading side; from then on the launcher's
// kConfirm fails to send (EPIPE), while one sent before is still read and posted. So both
// sides always agree, even when either of them stops at any point, and no request is sent
// twice.
#pragma once

#include <Message.h>
#include <OS.h>

#include <string>
#include <vector>

namespace BPrivate {

constexpr uint32 kLaunchWireMagic = 'ZLnc';
// Bounds what a peer can make the instance read; longer argument lists travel in parts.
constexpr size_t kMaxLaunchRequest = 64 * 1024;
constexpr char kHeld = 'H';
constexpr char kConfirm = 'C';

// A launch decides within this time whether it hands over or opens its files itself; every
// connect, read and write of the launch waits at most until then.
constexpr bigtime_t kDecisionTimeout = 2000000;
// How long the instance gives one connection, from its accept to the confirmation.
constexpr bigtime_t kConnectionTimeout = 1000000;
// Connections the instance serves at once; at the limit, the oldest one still sending its
// request makes room for the next.
constexpr size_t kMaxLaunchConnections = 32;

struct WireHeader {
	uint32 magic;
	uint32 size;
};

// One part of a launch: its request and the indexes of the arguments it carries.
struct LaunchPart {
	BMessage request;
	std::vector<size_t> argumentIndexes;
};

// The requests for a launch with these arguments (program first), made absolute against
// the working directory; an argument that cannot be made so (the folder cannot be named)
// goes as the empty path, which names nothing. Each holds "cwd", the program as argv[0],
// and "argc".
std::vector<LaunchPart> LaunchParts(const std::vector<std::string>& arguments);
// Only what a launch sends is accepted: "argc", "argv" and "cwd", consistent, and every
// argument after the program an absolute path or the empty one.
bool IsLaunchRequest(const BMessage& message);

// The launcher's side of one part over a connected socket: true once the part is handed
// over, false when the instance will not act on it.
bool HandOverPart(int fd, const BMessage& request, bigtime_t deadline);

}
