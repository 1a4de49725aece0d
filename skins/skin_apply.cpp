// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_apply.h"

#include "skin_el.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace skin {
namespace {

struct RoleName {
    const char *name;
    QPalette::ColorRole role;
};

constexpr RoleName kRoles[] = {
    {"window", QPalette::Window},
    {"window-text", QPalette::WindowText},
    {"base", QPalette::Base},
    {"alternate-base", QPalette::AlternateBase},
    {"text", QPalette::Text},
    {"button", QPalette::Button},
    {"button-text", QPalette::ButtonText},
    {"bright-text", QPalette::BrightText},
    {"highlight", QPalette::Highlight},
    {"highlighted-text", QPalette::HighlightedText},
    {"tool-tip-base", QPalette::ToolTipBase},
    {"tool-tip-text", QPalette::ToolTipText},
    {"placeholder-text", QPalette::PlaceholderText},
    {"link", QPalette::Link},
    {"light", QPalette::Light},
    {"midlight", QPalette::Midlight},
    {"mid", QPalette::Mid},
    {"dark", QPalette::Dark},
    {"shadow", QPalette::Shadow},
};

constexpr std::string_view kDisabledPrefix = "disabled-";

int shifted(int value, int percent)
{
    return std::clamp(value + value * percent / 100, 0, 255);
}

Colour shift(const Colour &c, int hue, int saturation, int brightness)
{
    if (hue == 0 && saturation == 0 && brightness == 0)
        return c;
    QColor hsv = QColor(c.red, c.green, c.blue, c.alpha).toHsv();
    // A grey has no hue (-1) and keeps none.
    const int h = hsv.hsvHue() < 0 ? -1 : (hsv.hsvHue() + hue + 360) % 360;
    hsv.setHsv(h, shifted(hsv.hsvSaturation(), saturation), shifted(hsv.value(), brightness), c.alpha);
    const QColor rgb = hsv.toRgb();
    return {c.name, static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
            static_cast<std::uint8_t>(rgb.blue()), c.alpha};
}

void set_role(QPalette &palette, std::string_view name, const QColor &colour)
{
    QPalette::ColorGroup group = QPalette::All;
    if (name.substr(0, kDisabledPrefix.size()) == kDisabledPrefix) {
        group = QPalette::Disabled;
        name.remove_prefix(kDisabledPrefix.size());
    }
    for (const RoleName &r : kRoles) {
        if (name == r.name) {
            palette.setColor(group, r.role, colour);
            return;
        }
    }
}

// Restyling a combo box makes it build its popup list there and then, only to restyle that:
// a dozen lists the user may never open, most of the skin's cost at start-up. A list not built
// yet has nothing to restyle, as it takes the style and font of the day when first opened. So
// while the skin is applied, a combo box without a list is spared the style and font change
// events (the new font is set on it all the same), and every window is polished then and there,
// not on first show, where nothing would spare the lists.
class DeferUnbuiltComboLists final : public QObject {
public:
    DeferUnbuiltComboLists() { QCoreApplication::instance()->installEventFilter(this); }
    ~DeferUnbuiltComboLists() override { QCoreApplication::instance()->removeEventFilter(this); }
    DeferUnbuiltComboLists(const DeferUnbuiltComboLists &) = delete;
    DeferUnbuiltComboLists &operator=(const DeferUnbuiltComboLists &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::StyleChange && event->type() != QEvent::FontChange)
            return false;
        const auto *combo = qobject_cast<QComboBox *>(watched);
        return combo != nullptr && combo->findChild<QAbstractItemView *>() == nullptr;
    }
};

} // namespace

int apply_skin(const SkinData &skin, int hue, int saturation, int brightness)
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (app == nullptr)
        return SKIN_EL_ERROR_NO_APPLICATION;

    std::vector<Colour> colours;
    colours.reserve(skin.colours.size());
    for (const Colour &c : skin.colours)
        colours.push_back(shift(c, hue, saturation, brightness));
    const std::optional<std::string> sheet = resolve_colours(skin.style_sheet, colours);
    if (!sheet)
        return SKIN_EL_ERROR_INVALID_SKIN;

    // Everything that can fail is settled before the application is touched.
    std::unique_ptr<QStyle> style;
    if (!skin.base_style.empty()) {
        style.reset(QStyleFactory::create(QString::fromLatin1(skin.base_style)));
        if (!style)
            return SKIN_EL_ERROR_INVALID_SKIN;
    }
    QPalette palette = style ? style->standardPalette() : QApplication::palette();
    for (const Colour &c : colours)
        set_role(palette, c.name, QColor(c.red, c.green, c.blue, c.alpha));

    // Each change below restyles every widget, so an equal style is not set again.
    const bool same_style =
        style && std::strcmp(style->metaObject()->className(), QApplication::style()->metaObject()->className()) == 0;
    if (style && !same_style)
        QApplication::setStyle(style.release()); // the application owns it from here
    QApplication::setPalette(palette);
    if (skin.font_pixels > 0) {
        QFont font = QApplication::font();
        if (!skin.font_family.empty())
            font.setFamilies({QString::fromStdString(skin.font_family)});
        font.setPixelSize(skin.font_pixels);
        QApplication::setFont(font);
    }
    {
        const DeferUnbuiltComboLists defer;
        app->setStyleSheet(QString::fromStdString(*sheet));
        for (QWidget *window : QApplication::topLevelWidgets())
            window->ensurePolished();
    }
    return SKIN_EL_SUCCESS;
}

} // namespace skin
