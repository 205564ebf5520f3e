#include "app/Icons.h"

#include <QString>
#include <iterator>

// The resources live in the static library; referencing their initialiser keeps the linker from
// dropping them from programs that link it.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

struct ToolbarImage {
    const char* themeName;
    const char* file;
};

// By image index.
constexpr ToolbarImage kToolbarImages[] = {
    {"document-new", "new.svg"},
    {"document-open", "open.svg"},
    {"document-save", "save.svg"},
    {"document-close", "close.svg"},
    {"edit-undo", "undo.svg"},
    {"edit-redo", "redo.svg"},
    {"edit-cut", "cut.svg"},
    {"edit-copy", "copy.svg"},
    {"edit-paste", "paste.svg"},
    {"edit-delete", "delete.svg"},
    {"edit-find", "find.svg"},
    {"edit-find-replace", "replace.svg"},
    {"format-text-bold", "bold.svg"},
    {"format-text-italic", "italic.svg"},
    {"format-font-size-more", "bigger.svg"},
    {"format-font-size-less", "smaller.svg"},
    {"format-text-subscript", "subscript.svg"},
    {"format-text-superscript", "superscript.svg"},
    {"document-encrypt", "encoding.svg"},
    {"internet-web-browser", "preview.svg"},
};

constexpr const char* kTabImages[] = {"tab-saved.svg", "tab-modified.svg"};

QIcon ownIcon(const char* file)
{
    static const bool initialised = (initResources(), true);
    Q_UNUSED(initialised);
    return QIcon(QStringLiteral(":/icons/") + QLatin1String(file));
}

// "hicolor" is only the fallback every system has; its few icons would mix with ours.
bool desktopHasTheme()
{
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

} // namespace

QIcon toolbarIcon(int imageIndex)
{
    if (imageIndex < 0 || imageIndex >= int(std::size(kToolbarImages)))
        return {};
    const ToolbarImage& image = kToolbarImages[imageIndex];
    QIcon own = ownIcon(image.file);
    if (!desktopHasTheme())
        return own;
    return QIcon::fromTheme(QLatin1String(image.themeName), own);
}

QIcon tabIcon(int imageIndex)
{
    if (imageIndex < 0 || imageIndex >= int(std::size(kTabImages)))
        return {};
    return ownIcon(kTabImages[imageIndex]);
}
