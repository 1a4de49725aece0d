// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QTest>

// Drives sd_lumeno as Speech Dispatcher does: commands on its standard input, and its answers
// read back as lines, with every 705 audio block taken as one item holding its samples.
class ModuleClient final {
public:
    struct Item {
        QByteArray line;  // a reply or event line; "705 AUDIO" for an audio block
        QByteArray audio; // the block's samples, unescaped
    };

    explicit ModuleClient(const QString &program)
    {
        m_process.setProgram(program);
        m_process.setArguments({QStringLiteral("/dev/null")});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
    }
    ~ModuleClient()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QProcess &process() { return m_process; }
    void send(const QByteArray &text) { m_process.write(text); }

    // INIT and server audio, as the server begins.
    bool start()
    {
        send("INIT\n");
        if (!wait_for("299 OK LOADED SUCCESSFULLY"))
            return false;
        send("AUDIO\naudio_output_method=server\n.\n");
        return wait_for("203 OK AUDIO INITIALIZED");
    }

    // The message with dots doubled, closed by the lone dot.
    void speak(const QByteArray &command, const QByteArray &text) { send(command + '\n' + text + "\n.\n"); }

    // Reads until an item with this line arrived (true) or the time is up / the module ended.
    bool wait_for(const QByteArray &line, int timeout_ms = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            for (qsizetype i = m_seen; i < m_items.size(); ++i) {
                if (m_items[i].line == line) {
                    m_seen = i + 1;
                    return true;
                }
            }
            m_seen = m_items.size();
            if (timer.elapsed() > timeout_ms || !read_more(timeout_ms - timer.elapsed()))
                return false;
        }
    }

    // Everything read so far.
    const QList<Item> &items() const { return m_items; }
    // Reads what arrives within this time.
    void drain(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms && read_more(ms - timer.elapsed())) {
        }
    }
    qsizetype audio_bytes() const
    {
        qsizetype total = 0;
        for (const Item &item : m_items)
            total += item.audio.size();
        return total;
    }

private:
    bool read_more(qint64 timeout_ms)
    {
        if (m_process.bytesAvailable() == 0
            && !m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(timeout_ms, 1))))
            return false;
        m_buffer += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_buffer.indexOf('\n')) >= 0) {
            QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (line.startsWith("705-AUDIO")) {
                m_pending_audio = unescape(line.mid(10));
            } else if (line == "705 AUDIO") {
                m_items.append({line, m_pending_audio});
                m_pending_audio.clear();
            } else if (!line.startsWith("705-")) {
                m_items.append({line, {}});
            }
        }
        return true;
    }

    static QByteArray unescape(const QByteArray &bytes)
    {
        QByteArray out;
        for (qsizetype i = 0; i < bytes.size(); ++i)
            out += bytes[i] == 0x7D && i + 1 < bytes.size() ? static_cast<char>(bytes[++i] ^ 0x20) : bytes[i];
        return out;
    }

    QProcess m_process;
    QByteArray m_buffer;
    QByteArray m_pending_audio;
    QList<Item> m_items;
    qsizetype m_seen = 0;
};
