#pragma once
// std::system gives the program's exit code itself on Windows.
#define WIFEXITED(status) ((status) != -1)
#define WEXITSTATUS(status) (status)
