// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/msc_api.h"
#include "platform/library_deploy.h"
#include "platform/shared_library.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

// File names of the engine library and of the codec library it loads itself.
inline constexpr const char *kEngineLibrary = "libmsc.so";
inline constexpr const char *kCodecLibrary = "libmsc_speex.so";

struct EngineImages {
    QByteArrayView engine; // libmsc.so as carried by the program
    QByteArrayView codec;  // libmsc_speex.so
};

// The binding to the engine library: deploys it, initialises it, runs its sessions (owning
// the session id) and finalises it. The library is loaded at the first engine call; when it or one
// of its six operations cannot be found the fatal handler runs (by default: message, exit -1).
class TtsEngine final {
public:
    // Shows the fatal error (caption, text) where a person can see it; the engine has already
    // written it to standard error and ends the process afterwards.
    using FatalHandler = std::function<void(const QString &caption, const QString &text)>;

    TtsEngine(EngineImages images, LibraryFolders folders);

    void set_fatal_handler(FatalHandler handler) { m_fatal = std::move(handler); }
    // Uses these operations instead of loading the library (tests).
    void use_api(const MscApi &api);

    // Places both libraries in one folder (the codec is loaded from beside the engine) by the
    // carried-library rule; the engine is then loaded from there.
    void deploy();
    // Where deploy() placed the engine library (its bare name when it could place it nowhere).
    const QString &library_path() const { return m_engine_path; }
    // Loads the library from a path another process's deploy() gave, deploying nothing.
    void use_library(const QString &path)
    {
        m_engine_path = path.isEmpty() ? QString::fromLatin1(kEngineLibrary) : path;
    }
    // The configuration text handed to the engine at start.
    void prepare_configuration();
    // Hands the configuration to the engine (preparing it first if needed); the engine's result.
    int start_engine();
    int finalise();

    // One session at a time; the engine's results, 0 on success. begin_session replaces the
    // remembered id (empty when the engine gave none: then the result is the engine's error,
    // or kNoSession). put_text and get_audio address the remembered session.
    static constexpr int kNoSession = -1;
    // begin_session's results that are about the engine, not the session: QTTSInit never
    // succeeded, or espeak-ng under the engine could not start (its data is unusable).
    static constexpr int kNotStarted = QTTS_ERROR_NOT_INITIALISED;
    static constexpr int kSpeechEngineFailed = QTTS_ERROR_SPEECH_ENGINE;
    int begin_session(const QByteArray &params);
    int put_text(QByteArrayView engine_text);
    struct AudioPiece {
        const void *data = nullptr; // the engine's memory, valid until its next call
        unsigned int length = 0;
        int status = 0; // QTTS_AUDIO_COMPLETE once all audio has been handed out
        int error = 0;
    };
    AudioPiece get_audio();
    // Ends the remembered session, with the hint "正常关闭" or the given one; 0 when none is open.
    int end_session();
    int end_session(const char *hints);

    QByteArray configuration_text() const;
    const QByteArray &session_id() const { return m_session_id; }
    bool finalised() const { return m_finalised; }

    // Loads the library now rather than at the first call (a process about to fork workers
    // loads it once for all of them).
    void load_library() { api("QTTSInit"); }
    // The engine's reading preview, or null for an engine without it.
    QTTSTextReadingFunc reading_preview() { return api("QTTSTextReading").text_reading; }

    static QByteArray application_id();

private:
    // The operations, loading the library on first use; `operation` names the one about to be called.
    const MscApi &api(const char *operation);
    bool load(const char *operation); // ends the process when the library is unusable
    QList<CarriedLibrary> carried_group() const; // the engine, then its codec

    EngineImages m_images;
    LibraryFolders m_folders;
    QString m_engine_path = QString::fromLatin1(kEngineLibrary);
    FatalHandler m_fatal;
    SharedLibrary m_library;
    MscApi m_api;
    bool m_loaded = false;
    bool m_finalised = false;
    QByteArray m_session_id;
    struct Configuration {
        QByteArray server_url;
        QByteArray appid;
        QByteArray timeout;
        QByteArray coding_libs;
        QByteArray max_text_size;
    };
    Configuration m_config;
};
