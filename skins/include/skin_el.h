// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * The skin library: libSkinH_EL.so.
 *
 * One C function reads a skin in the .SHE format and gives the running Qt application its
 * look: widget style, palette, font and style sheet. The library links Qt Widgets and must be
 * loaded into a process whose QApplication already exists.
 *
 * A .SHE skin is little-endian binary:
 *
 *   offset 0   4 bytes  magic 2E 53 48 45 (".SHE")
 *          4   u16      format version, 1
 *          6   u16      number of sections
 *          8   u32      total size of the skin in bytes (equals the size handed over)
 *         12   sections, back to back: 4-byte tag, u32 payload length, payload
 *
 *   "STYL"  name of the Qt widget style the skin builds on (ASCII, at most 32 bytes)
 *   "FONT"  u16 pixel size (6..72), then the font family (UTF-8, at most 64 bytes)
 *   "COLR"  u16 count, then per colour: u8 name length (1..32), the name ([a-z0-9-]), R G B A
 *   "QSS "  the Qt style sheet (UTF-8, no zero byte); $name stands for the colour of that name
 *
 * "QSS " is required; the others may be left out, but none may appear twice. Sections with
 * other tags are skipped. Colour names that are palette roles ("window", "window-text",
 * "base", "alternate-base", "text", "button", "button-text", "bright-text", "highlight",
 * "highlighted-text", "tool-tip-base", "tool-tip-text", "placeholder-text", "link", "light",
 * "midlight", "mid", "dark", "shadow", each also with the prefix "disabled-") set that role of
 * the application palette; every colour may be named in the style sheet.
 *
 * The library carries small images a style sheet may name: url(:/skin-el/arrow-down.xpm), the
 * 7 x 4 arrow of a list box. These are the only urls a style sheet may hold, and it may hold no
 * backslash: a skin never has the application open a file of its choosing.
 */
#ifndef LUMENO_SKIN_EL_H
#define LUMENO_SKIN_EL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(SKIN_EL_BUILDING_LIBRARY)
#define SKIN_EL_API __attribute__((visibility("default")))
#else
#define SKIN_EL_API
#endif

#define SKIN_EL_SUCCESS 0
#define SKIN_EL_ERROR_NO_APPLICATION 1 /* no QApplication in this process */
#define SKIN_EL_ERROR_INVALID_SKIN 2   /* the data is no readable .SHE skin */
#define SKIN_EL_ERROR_INVALID_ARGUMENT 3

/*
 * Applies the skin in data[0..size) to the running application, its colours shifted first:
 * hue by -180..180 degrees, saturation and brightness by -100..100 percent (0, 0, 0 keeps
 * them). password may be null; skins of this format are not sealed, so it is not used.
 * Returns SKIN_EL_SUCCESS, or one of the errors above with the look left as it was.
 * Call it on the thread that runs the application's event loop.
 */
SKIN_EL_API int SkinH_AttachRes(const unsigned char *data, int size, const char *password, int hue, int saturation,
                                int brightness);

/* SkinH_AttachRes as a program that loads the library at run time resolves it. */
typedef int (*SkinH_AttachResFunc)(const unsigned char *data, int size, const char *password, int hue, int saturation,
                                   int brightness);

#ifdef __cplusplus
}
#endif

#endif
