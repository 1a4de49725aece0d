// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>
#include <deque>
#include <unistd.h>

namespace {

std::deque<std::optional<QString>> &answers()
{
    static std::deque<std::optional<QString>> queue;
    return queue;
}

bool user_may_write(const QString &folder)
{
    // The real user's right, as the kernel sees it (QFileInfo's answer is cached).
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

FileDialog::FileDialog(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
    , m_filter(QStringLiteral("文本文档(*.txt)|*.txt"))
{
    setObjectName(QStringLiteral("导出"));
}

void FileDialog::configure(Mode mode, const QString &initial_name, const QString &filter)
{
    m_mode = mode;
    m_initial_name = initial_name;
    m_filter = filter;
}

QString FileDialog::to_name_filter(const QString &filter)
{
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    const QString description = filter.left(bar);
    const QString pattern = filter.mid(bar + 1);
    // Qt reads the patterns from the last parentheses of the description.
    if (description.endsWith(u')'))
        return description;
    return description + QStringLiteral(" (") + pattern + u')';
}

QString FileDialog::start_folder() const
{
    if (!m_folder.isEmpty() && QFileInfo(m_folder).isDir())
        return m_folder;
    const QString current = QDir::currentPath();
    if (user_may_write(current))
        return current;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

std::optional<QString> FileDialog::exec()
{
    m_shown_folder = start_folder();
    std::optional<QString> chosen = ask(m_shown_folder);
    if (chosen)
        m_folder = QFileInfo(*chosen).absolutePath();
    return chosen;
}

std::optional<QString> FileDialog::ask(const QString &folder)
{
    if (!answers().empty()) {
        std::optional<QString> answer = answers().front();
        answers().pop_front();
        return answer;
    }
    QFileDialog dialog(m_owner);
    dialog.setAcceptMode(m_mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(m_mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(to_name_filter(m_filter));
    if (m_mode == Mode::Save) {
        const QString pattern = m_filter.section(u'|', 1);
        if (pattern.startsWith(QStringLiteral("*.")))
            dialog.setDefaultSuffix(pattern.mid(2));
    }
    dialog.setDirectory(folder);
    dialog.selectFile(m_initial_name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void FileDialog::answer_next(std::optional<QString> path)
{
    answers().push_back(std::move(path));
}

int FileDialog::pending_answers()
{
    return static_cast<int>(answers().size());
}
