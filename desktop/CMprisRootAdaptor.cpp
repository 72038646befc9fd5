#include "desktop/CMprisRootAdaptor.h"

#include "desktop/CMprisService.h"

CMprisRootAdaptor::CMprisRootAdaptor(CMprisService &service)
    : QDBusAbstractAdaptor(&service), m_service(service)
{
}

QString CMprisRootAdaptor::Identity() const { return QStringLiteral("Melvane"); }

QString CMprisRootAdaptor::DesktopEntry() const { return QStringLiteral("melvane"); }

QStringList CMprisRootAdaptor::SupportedUriSchemes() const { return {QStringLiteral("file")}; }

QStringList CMprisRootAdaptor::SupportedMimeTypes() const { return CMprisService::SupportedMimeTypes(); }

void CMprisRootAdaptor::Raise() { m_service.Player().Raise(); }

void CMprisRootAdaptor::Quit() { m_service.Player().Quit(); }
