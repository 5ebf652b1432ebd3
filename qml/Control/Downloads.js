.pragma library

// The download page's view of an entry's download, always read from the
// download centre (`centre`, the backend's downloadFunction): the page's rows
// are made again on every page change, while the downloads go on.

// "idle" (no download), "running", "paused", or "failed" (the centre has an
// error text for it).
function phase(centre, id) {
    if (centre.getDownloadError(id) !== "")
        return "failed"
    if (!centre.getDownloadStatus(id))
        return "idle"
    return centre.getDownloadPaused(id) ? "paused" : "running"
}

// Starts the entry's download, or takes up a paused, stopped or failed one
// where it stands. May wait for the server's answer in a local event loop.
function start(centre, entry) {
    centre.downloadFile(entry.id, entry.uplodesoft, entry.filename)
}
