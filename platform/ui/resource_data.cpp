// Resources held as data: templates, strings and icons by id.
#include "platform/ui/resource_data.h"

#include <QIcon>
#include <QPixmap>
#include <map>

#include "platform/lang/lang.h"

namespace {
const AFX_RESOURCES* g_resources = nullptr;
std::map<UINT, QIcon*>& Icons() {
    static std::map<UINT, QIcon*> icons;
    return icons;
}
}  // namespace

void AfxSetResources(const AFX_RESOURCES* p) { g_resources = p; }

const DLGTEMPLATE_DATA* AfxFindTemplate(UINT nID) {
    if (!g_resources) return nullptr;
    for (int i = 0; i < g_resources->dialogCount; ++i)
        if (g_resources->dialogs[i]->id == nID) return g_resources->dialogs[i];
    return nullptr;
}

BOOL AfxLoadString(UINT nID, CString& r) {
    r.Empty();
    if (!g_resources) return FALSE;
    for (int i = 0; i < g_resources->stringCount; ++i) {
        if (g_resources->strings[i].id == nID) {
            r = AfxTr("Dialog", g_resources->strings[i].text);
            return !r.IsEmpty();
        }
    }
    return FALSE;
}

HICON AfxLoadIcon(UINT nID) {
    auto it = Icons().find(nID);
    if (it != Icons().end()) return reinterpret_cast<HICON>(it->second);
    if (!g_resources) return nullptr;
    for (int i = 0; i < g_resources->iconCount; ++i) {
        const ICONRES& res = g_resources->icons[i];
        if (res.id != nID) continue;
        auto* icon = new QIcon;  // icons live as long as the process, as loaded icons do
        const unsigned char* p = res.png;
        for (int k = 0; k < res.imageCount; ++k) {
            QPixmap pm;
            pm.loadFromData(p, res.pngSizes[k], "PNG");
            icon->addPixmap(pm);
            p += res.pngSizes[k];
        }
        Icons()[nID] = icon;
        return reinterpret_cast<HICON>(icon);
    }
    return nullptr;
}
