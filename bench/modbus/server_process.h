// A Modbus server started as a person starts it, for the bench and the
// stress run that talk to it over loopback: kestan-io in a process of its
// own, its standard error in a file, its port learnt from the line it says
// when it listens.
#ifndef KIT_MODBUS_SERVER_PROCESS_H
#define KIT_MODBUS_SERVER_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

struct ServerProcess {
  pid_t pid = -1;
  int port = 0;
  std::string log_path;
  std::string state_dir;  // the server's own KESTAN_IO_STATE_DIR, removed when it stops
};

// Starts program with args (with a state folder of its own, so that it
// neither waits for nor leaves behind another run's card state) and waits (up to 10 s) for "listening on
// HOST:PORT". False with the reason in why.
bool start_server(const std::string &program, const std::vector<std::string> &args, ServerProcess *server,
                  std::string *why);
// SIGTERM, then the exit status; the state folder goes (128 + signal when it was killed).
int stop_server(ServerProcess *server);
// What the server has written to standard error so far.
std::string server_log(const ServerProcess &server);
// How many file descriptors the server has open (its clients among them).
long open_descriptors(const ServerProcess &server);
// How often part occurs in text (lines of a kind in the log).
long count_in(const std::string &text, const char *part);

#endif
