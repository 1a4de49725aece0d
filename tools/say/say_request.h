// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/session_params.h"

#include <QString>
#include <QStringList>

// What a command line asks lumeno-say to do, and how it failed when it cannot be done.
enum class ExitCode {
    Ok = 0,
    BadOption = 2,
    UnknownVoice = 3,
    UnreadableInput = 4,
    EngineFailure = 5,
    UnwritableOutput = 6,
    NothingToSpeak = 7, // empty or blank input, or no audio for it
    NoSound = 8,        // playing was asked for and no sound output can play
    TooLong = 9,        // the speech would not fit the output (a WAV file's 4 GiB)
    Interrupted = 130,  // Ctrl-C or kill: the shell's code for a job ended by SIGINT
};

struct SayRequest {
    SynthesisOptions options; // what the window would send, voice id included
    QStringList texts;        // texts given on the command line, joined by spaces
    QStringList files;        // input files; "-" is standard input
    QString output;           // the audio file, its kind by its suffix; empty: none
    QString output_dir;       // batch: folder for one WAV per input file
    int jobs = 0;             // worker processes; 0: one per processor
    int quality = -1;         // 0..10 for compressed outputs; -1: the format's default
    int split_minutes = 0;    // > 0: the output is cut into parts of about this length
    bool quiet = false;
    bool play = false;
    bool gbk_input = false;
    bool list_voices = false;
    bool reading = false; // print the reading instead of speaking
    bool help = false;
    bool version = false;
};

struct ParseResult {
    SayRequest request;
    ExitCode error = ExitCode::Ok;
    QString message; // what went wrong, for standard error
};

// arguments without the program name.
ParseResult parse_say_arguments(const QStringList &arguments);

QString say_usage();
// "lumeno-say 1.0", for --version.
QString say_version();

// Worker processes beyond a small multiple of the processors only cost memory: the most a
// job starts for asked (0: one per processor).
constexpr int kJobsPerProcessor = 2;
int worker_count(int asked, int processors);
QString voice_listing();
