// SPDX-License-Identifier: GPL-3.0-or-later
// sd_lumeno: the engine as a Speech Dispatcher output module. Speech Dispatcher starts it with
// the path of its configuration file and talks to it on standard input and output.
#include "engine/carried_images.h"
#include "engine/tts_engine.h"
#include "module_output.h"
#include "module_session.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sd_lumeno"));
    // A server that vanishes makes writes fail instead of killing the module mid-sentence.
    std::signal(SIGPIPE, SIG_IGN);
    // The protocol keeps standard output for itself: anything a library prints there would
    // break it, so standard output becomes the log and the protocol gets its own descriptor.
    const int protocol_fd = ::dup(STDOUT_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    if (protocol_fd < 0) {
        std::perror("sd_lumeno: standard output");
        return 1;
    }
    ModuleOutput output(protocol_fd);
    TtsEngine engine(carried_engine_images(), LibraryFolders::for_program(QCoreApplication::applicationDirPath()));
    ModuleSession session(stdin, output, engine);
    return session.run();
}
