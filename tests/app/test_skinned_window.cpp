// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/feedback/feedback_window.h"
#include "app/status_texts.h"
#include "skin/carried_skin.h"
#include "skin/skin_loader.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTest>

namespace {

int text_width(const QWidget *widget, const QString &text)
{
    return widget->fontMetrics().horizontalAdvance(text);
}

// The room a label leaves its text, as QLabel lays it out.
int label_room(const QLabel *label)
{
    const int indent = label->indent() >= 0      ? label->indent()
                       : label->frameWidth() > 0 ? label->fontMetrics().horizontalAdvance(u'x') / 2
                                                 : 0;
    return label->contentsRect().width() - 2 * label->margin() - indent;
}

QString describe(const QWidget *w, const QString &text, int needed, int room)
{
    return QStringLiteral("%1 \"%2\": needs %3 px, has %4").arg(w->objectName(), text).arg(needed).arg(room);
}

// The first item the closed list would show cut, described; empty when all fit.
QString first_cut_item(const QComboBox *combo)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    option.subControls = QStyle::SC_All;
    const int room =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo).width();
    for (int i = 0; i < combo->count(); ++i) {
        const int needed = text_width(combo, combo->itemText(i));
        if (needed > room)
            return describe(combo, combo->itemText(i), needed, room);
    }
    return {};
}

// The button's text, described, when the room its style leaves it is too narrow; empty when
// it fits.
QString cut_button_text(const QAbstractButton *button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const int room = button->style()->subElementRect(contents, &option, button).width();
    const int needed = text_width(button, button->text());
    return needed > room ? describe(button, button->text(), needed, room) : QString();
}

} // namespace

// The real program's skin on the window, rendered offscreen: nothing moved, nothing cut.
class TestSkinnedWindow final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void controls_keepTheirDesignedGeometry();
    void labelsAndCaptions_showTheirWholeText();
    void comboBoxes_showEveryItemWhole();
    void openLists_areAtMost160PixelsAndScroll();
    void statusPanels_sitAtTheirDesignedBoundaries();
    void statusPanel_drawsEveryStatusTextWhole();
    void feedbackWindow_showsItsTextsWhole();
    void feedbackWindow_disabledAddressBoxLooksDisabled();

private:
    WindowFixture m_f;
    QHash<QWidget *, QRect> m_unskinned;
};

void TestSkinnedWindow::initTestCase()
{
    m_f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_f.window.get()));
    for (QWidget *w : m_f.window->findChildren<QWidget *>())
        m_unskinned.insert(w, w->geometry());
    const SkinImages images = carried_skin_images();
    SkinLoader loader(images.library, m_f.dir.filePath(QStringLiteral("system")),
                      m_f.dir.filePath(QStringLiteral("program")));
    QVERIFY(QDir().mkpath(m_f.dir.filePath(QStringLiteral("system"))));
    m_f.window->set_skin_attach([&] { QCOMPARE(loader.attach(images.skin, {}, 0, 0, 0), 0); });
    m_f.window->on_created();
    QVERIFY(!qApp->styleSheet().isEmpty());
    // Skinning builds no popup list: a dozen lists built at every start would cost more than
    // the rest of the skin. Each is built, in the skin's style, when first opened (see below).
    for (const QComboBox *combo : m_f.window->findChildren<QComboBox *>())
        QVERIFY2(combo->findChild<QAbstractItemView *>() == nullptr, qPrintable(combo->objectName()));
}

void TestSkinnedWindow::controls_keepTheirDesignedGeometry()
{
    for (auto it = m_unskinned.cbegin(); it != m_unskinned.cend(); ++it) {
        const QString name = it.key()->objectName();
        if (!name.isEmpty() && !name.startsWith(QStringLiteral("qt_")))
            QVERIFY2(it.key()->geometry() == it.value(), qPrintable(name));
    }
    QCOMPARE(m_f.window->size(), QSize(665, 453));
}

void TestSkinnedWindow::labelsAndCaptions_showTheirWholeText()
{
    const Controls &c = m_f.window->controls();
    int checked = 0;
    for (const QLabel *label : m_f.window->findChildren<QLabel *>()) {
        if (qobject_cast<QGroupBox *>(label->parent()) == nullptr && label->parent() != c.status_bar)
            continue;
        const int needed = text_width(label, label->text());
        QVERIFY2(needed <= label_room(label), qPrintable(describe(label, label->text(), needed, label_room(label))));
        ++checked;
    }
    QCOMPARE(checked, 12 + 4);
    for (const QPushButton *button : {c.clear, c.paste, c.import_txt, c.stop, c.defaults, c.start, c.save}) {
        const QString cut = cut_button_text(button, QStyle::SE_PushButtonContents);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }
    // The start button says "正在合成" while a run is busy.
    QVERIFY(text_width(c.start, QStringLiteral("正在合成")) <= text_width(c.start, c.start->text()));
    for (QGroupBox *group : m_f.window->findChildren<QGroupBox *>()) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const int room =
            group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group).width();
        const int needed = text_width(group, group->title());
        QVERIFY2(needed <= room, qPrintable(describe(group, group->title(), needed, room)));
    }
}

void TestSkinnedWindow::comboBoxes_showEveryItemWhole()
{
    const QList<QComboBox *> combos = m_f.window->findChildren<QComboBox *>();
    QCOMPARE(combos.size(), 11);
    for (QComboBox *combo : combos) {
        QVERIFY2(combo->count() > 0, qPrintable(combo->objectName()));
        QVERIFY2(first_cut_item(combo).isEmpty(), qPrintable(first_cut_item(combo)));
    }
    // Every voice list of every engine type, not only the first one shown.
    QComboBox *engine_type = m_f.window->controls().engine_type;
    QComboBox *voice = m_f.window->controls().voice;
    for (int type = 1; type < engine_type->count(); ++type) {
        engine_type->setCurrentIndex(type);
        emit engine_type->activated(type);
        QVERIFY2(first_cut_item(voice).isEmpty(), qPrintable(first_cut_item(voice)));
    }
}

void TestSkinnedWindow::openLists_areAtMost160PixelsAndScroll()
{
    for (QComboBox *combo : m_f.window->findChildren<QComboBox *>()) {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QWidget *popup = view->window();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        const QString name = combo->objectName();
        QVERIFY2(popup->height() + combo->height() <= 160, qPrintable(name));
        QVERIFY2(popup->height() <= 160, qPrintable(name));
        // Room for each open item's text, as the list lays it out.
        for (int i = 0; i < combo->count(); ++i) {
            const QModelIndex index = view->model()->index(i, 0);
            QVERIFY2(view->sizeHintForIndex(index).width() <= view->viewport()->width(),
                     qPrintable(name + u' ' + combo->itemText(i)));
        }
        const bool all_fit = combo->count() <= combo->maxVisibleItems();
        QVERIFY2(all_fit || view->verticalScrollBar()->maximum() > 0, qPrintable(name));
        combo->hidePopup();
    }
}

void TestSkinnedWindow::statusPanels_sitAtTheirDesignedBoundaries()
{
    const QStatusBar *bar = m_f.window->controls().status_bar;
    QList<int> lefts;
    for (const QLabel *panel : bar->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        lefts << panel->geometry().left();
    QCOMPARE(lefts, (QList<int>{0, 70, 270, 340}));
    QCOMPARE(m_f.window->controls().address_panel->geometry().right(), bar->width() - 1);
}

void TestSkinnedWindow::statusPanel_drawsEveryStatusTextWhole()
{
    QStringList texts;
    for (const char16_t *text : status_text::kFixed)
        texts << QString::fromUtf16(text);
    const QComboBox *encodings = m_f.window->controls().text_encoding;
    for (int i = 0; i < encodings->count(); ++i)
        texts << QString::fromUtf16(status_text::kUnencodable).arg(encodings->itemText(i));
    QLabel *panel = m_f.window->controls().status_panel;
    for (const QString &text : texts) {
        m_f.window->show_status(text);
        // Measured as drawn: the label's own font after the skin's style sheet, in its room.
        const int needed = text_width(panel, panel->text());
        QVERIFY2(needed <= label_room(panel), qPrintable(describe(panel, text, needed, label_room(panel))));
    }
    QCOMPARE(panel->geometry(), QRect(70, 0, 200, 20));
}

void TestSkinnedWindow::feedbackWindow_showsItsTextsWhole()
{
    FeedbackWindow window(10, QUrl(QStringLiteral("http://127.0.0.1:9")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int checked = 0;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const int needed = text_width(label, label->text());
        QVERIFY2(needed <= label_room(label), qPrintable(describe(label, label->text(), needed, label_room(label))));
        ++checked;
    }
    QCOMPARE(checked, 4);
    for (const QCheckBox *box : window.findChildren<QCheckBox *>()) {
        const QString cut = cut_button_text(box, QStyle::SE_CheckBoxContents);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }
}

void TestSkinnedWindow::feedbackWindow_disabledAddressBoxLooksDisabled()
{
    FeedbackWindow window(10, QUrl(QStringLiteral("http://127.0.0.1:9")));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *address = window.findChild<QLineEdit *>(QStringLiteral("编辑框_邮箱"));
    auto *nickname = window.findChild<QLineEdit *>(QStringLiteral("编辑框_昵称"));
    QVERIFY(address && nickname);
    // The reply box starts unticked, so the address box starts disabled.
    QVERIFY(!address->isEnabled());
    const QColor disabled_base(0xee, 0xf1, 0xf5); // the skin's disabled-base
    QCOMPARE(QApplication::palette().color(QPalette::Disabled, QPalette::Base), disabled_base);
    const QImage shown = window.grab().toImage();
    const auto inside = [&shown](const QWidget *box) { return shown.pixelColor(box->geometry().center()); };
    QCOMPARE(inside(address), disabled_base);
    QCOMPARE(inside(nickname), QColor(Qt::white));
    QCOMPARE(address->palette().color(QPalette::Disabled, QPalette::Text), QColor(0xa3, 0xab, 0xb5));
}

QTEST_MAIN(TestSkinnedWindow)
#include "test_skinned_window.moc"
