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

// The binding to the engine library: deploys it, initialises it, owns the session id, ends
// sessions and finalises it. The library is loaded at the first engine call; when it or one
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
    // Deploys, prepares the configuration, runs fill_options (the option lists and saved
    // settings, so the window is complete whatever the engine says), then initialises the
    // engine and reports "已成功连接服务器" or "初始化失败".
    void initialise(const std::function<void()> &fill_options, const std::function<void(const QString &)> &show_status);
    // Prepares the configuration and hands it to the engine; the engine's result.
    int start_engine();
    int end_session();
    int finalise();

    QByteArray configuration_text() const;
    QByteArray &session_id() { return m_session_id; }
    const QByteArray &session_id() const { return m_session_id; }
    bool finalised() const { return m_finalised; }

    // The operations, loading the library on first use; `operation` names the one about to be called.
    const MscApi &api(const char *operation);

    static QByteArray application_id();

private:
    bool load(const char *operation); // ends the process when the library is unusable

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
    void prepare_configuration();
    Configuration m_config;
};
