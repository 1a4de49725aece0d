// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/tts_engine.h"

#include "engine/engine_text.h"
#include "platform/gbk.h"
#include "platform/library_deploy.h"
#include "platform/unresolved_operation.h"
#include "text/text_limit.h"

namespace {

constexpr const char *kServiceAddress = "tts.lumeno.example.org:80/index.htm";
constexpr const char *kTimeoutMs = "10000";

QList<QByteArray> operations(std::initializer_list<const char *> names)
{
    QList<QByteArray> list;
    for (const char *name : names)
        list.append(QByteArray(name));
    return list;
}

} // namespace

TtsEngine::TtsEngine(EngineImages images, LibraryFolders folders)
    : m_images(images)
    , m_folders(std::move(folders))
{
}

void TtsEngine::use_api(const MscApi &api)
{
    m_api = api;
    m_loaded = true;
}

QList<CarriedLibrary> TtsEngine::carried_group() const
{
    return {{QString::fromLatin1(kEngineLibrary), m_images.engine,
             operations({"QTTSInit", "QTTSSessionBegin", "QTTSTextPut", "QTTSAudioGet", "QTTSSessionEnd", "QTTSFini"})},
            {QString::fromLatin1(kCodecLibrary), m_images.codec,
             operations({"lms_codec_version", "lms_codec_open", "lms_codec_frame_samples", "lms_codec_delay_samples",
                         "lms_codec_encode", "lms_codec_decode", "lms_codec_close"})}};
}

void TtsEngine::deploy()
{
    m_engine_path = deploy_carried_libraries(carried_group(), m_folders).path(QString::fromLatin1(kEngineLibrary));
}

QByteArray TtsEngine::application_id()
{
    // Kept out of the binary's plain strings: the id is joined from single characters.
    QByteArray id;
    id += QByteArray::number(7);
    id += static_cast<char>(0x6c); // l
    id += QByteArray::number(2);
    id += static_cast<char>(0x6d); // m
    id += QByteArray::number(9);
    id += static_cast<char>(0x6e); // n
    id += QByteArray::number(4);
    id += static_cast<char>(0x6f); // o
    return id;
}

void TtsEngine::prepare_configuration()
{
    m_config.server_url = kServiceAddress;
    m_config.appid = application_id();
    m_config.timeout = kTimeoutMs;
    m_config.coding_libs = kCodecLibrary;
    // The limit counts the box's GBK bytes; the engine counts them in the announced encoding.
    m_config.max_text_size = QByteArray::number(kTextLimit * kEngineTextGrowth);
}

QByteArray TtsEngine::configuration_text() const
{
    return "server_url=" + m_config.server_url + ",appid=" + m_config.appid + ",timeout=" + m_config.timeout
           + ",coding_libs=" + m_config.coding_libs + ",max_text_size=" + m_config.max_text_size;
}

int TtsEngine::start_engine()
{
    if (m_config.appid.isEmpty())
        prepare_configuration();
    const QByteArray config = configuration_text();
    return api("QTTSInit").init(config.constData());
}

int TtsEngine::begin_session(const QByteArray &params)
{
    int error = 0;
    const char *id = api("QTTSSessionBegin").session_begin(params.constData(), &error);
    m_session_id = id != nullptr ? QByteArray(id) : QByteArray();
    if (error != 0)
        return error;
    return m_session_id.isEmpty() ? kNoSession : 0;
}

int TtsEngine::put_text(QByteArrayView engine_text)
{
    return api("QTTSTextPut")
        .text_put(m_session_id.constData(), engine_text.data(), static_cast<unsigned int>(engine_text.size()), "");
}

TtsEngine::AudioPiece TtsEngine::get_audio()
{
    AudioPiece piece;
    piece.data = api("QTTSAudioGet").audio_get(m_session_id.constData(), &piece.length, &piece.status, &piece.error);
    return piece;
}

int TtsEngine::end_session()
{
    static const QByteArray hint = gbk::encode(QStringLiteral("正常关闭"));
    return end_session(hint.constData());
}

int TtsEngine::end_session(const char *hints)
{
    if (m_session_id.isEmpty())
        return 0;
    return api("QTTSSessionEnd").session_end(m_session_id.constData(), hints);
}

int TtsEngine::finalise()
{
    const int result = api("QTTSFini").fini();
    m_finalised = true;
    return result;
}

const MscApi &TtsEngine::api(const char *operation)
{
    if (!m_loaded)
        m_loaded = load(operation);
    return m_api;
}

bool TtsEngine::load(const char *operation)
{
    // Where deployment placed it; when it could be placed nowhere, the platform's search.
    m_library.open(m_engine_path);
    const char *missing = m_library.is_open() ? nullptr : operation;
    const auto resolve = [this, &missing](auto &slot, const char *name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(m_library.resolve(name));
        if (slot == nullptr && missing == nullptr)
            missing = name;
    };
    resolve(m_api.init, "QTTSInit");
    resolve(m_api.session_begin, "QTTSSessionBegin");
    resolve(m_api.text_put, "QTTSTextPut");
    resolve(m_api.audio_get, "QTTSAudioGet");
    resolve(m_api.session_end, "QTTSSessionEnd");
    resolve(m_api.fini, "QTTSFini");
    m_api.text_reading = reinterpret_cast<decltype(m_api.text_reading)>(m_library.resolve("QTTSTextReading"));
    if (!m_library.is_open())
        report_unloadable_library(carried_group().constFirst(), m_folders, m_library.error());
    if (missing != nullptr)
        end_with_unresolved_operation(kEngineLibrary, missing, m_fatal);
    return true;
}
