#pragma once
// Who and where: the stand-ins for the operating system's user, computer and module queries.

#include <string>

namespace tvk::platform {

// The login name (password database, then $USER); "Unknown" when neither gives one. At most 256
// characters.
std::string CurrentUserName();

// The host name cut to 15 characters; empty when it cannot be read.
std::string ComputerName();

// Full path of the running program; empty when it cannot be read.
std::string ExecutablePath();

// The file name of the running program ("tavisko"); program files need no extension here, unlike the
// module names of the host's platform.
std::string ExecutableFileName();

// The program's version as "%d.%d.%d.%d": program files here carry none, so it is the project's own
// version from the build (a missing fourth part is 0).
std::string ExecutableVersion();

}  // namespace tvk::platform
