// Finds what a window shows the way a person names it: the first shown item
// under `root` whose accessible name, text or hint is `name`.
function byName(root, name) {
    if (!root || root.visible === false)
        return null
    if ((root.Accessible && root.Accessible.name === name) || root.text === name || root.hint === name)
        return root
    for (var i = 0; i < root.children.length; ++i) {
        var found = byName(root.children[i], name)
        if (found)
            return found
    }
    return null
}

// The same on a window's content.
function inWindow(window, name) {
    return byName(window.contentItem, name)
}
