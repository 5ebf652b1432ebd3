import QtQuick 2.15

// The web profiles of the companies' invoicing windows: one persistent
// profile a company, named after its tax code, so that two companies'
// sign-ins to the invoicing site never share cookies or storage. A window
// takes its company's profile and releases it when it goes; the profile is
// freed some seconds after its last window (the cache clearing that closing
// starts finishes after the window is gone, and a profile freed under it
// takes the program down). A window opened again within those seconds gets
// the same profile: two profiles over one folder would corrupt it.
//
// The profiles are the application's, not this object's: windows still
// showing a page when the interface ends go before their profile does.
// What is still waiting to be freed then stays until the program ends.
QtObject {
    id: keeper

    property int graceMs: 5000
    // Profiles by storage name.
    property var profiles: ({})

    // The profile's name: the tax code, any character but a letter or a
    // digit written as "_" and its code, so that the platform's text never
    // names a folder elsewhere.
    function profileName(taxcode) {
        return "company-" + taxcode.replace(/[^0-9A-Za-z]/g, function (c) {
            return "_" + c.charCodeAt(0).toString(16)
        })
    }

    function take(taxcode) {
        var name = profileName(taxcode)
        var profile = profiles[name]
        if (!profile) {
            // The keeper owns the component, as it would one declared
            // here: left to the garbage collector, it could go while
            // profiles made from it live on.
            if (!profileComponent)
                profileComponent = Qt.createComponent("CompanyProfile.qml", Component.PreferSynchronous, keeper)
            profile = profileComponent.createObject(Qt.application, { storageName: name })
            profile.ending = endingComponent.createObject(keeper, { profile: profile })
            profiles[name] = profile
        }
        profile.users += 1
        profile.ending.stop()
        return profile
    }

    function release(profile) {
        profile.users -= 1
        if (profile.users <= 0)
            profile.ending.restart()
    }

    // Made on the first window: the start loads no web engine types.
    property Component profileComponent: null

    property Component endingComponent: Component {
        Timer {
            property QtObject profile

            interval: keeper.graceMs
            onTriggered: {
                if (profile.users > 0)
                    return
                delete keeper.profiles[profile.storageName]
                profile.destroy()
                destroy()
            }
        }
    }
}
