import QtQuick 2.15
import QtWebEngine 1.10

// One company's persistent web profile, as CompanyProfiles keeps it.
WebEngineProfile {
    // The windows that use it now.
    property int users: 0
    // The keeper's timer for the profile: it goes with the interface, so
    // nothing frees a profile once the interface has ended.
    property QtObject ending: null

    offTheRecord: false
}
