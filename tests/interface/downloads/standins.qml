import QtQml 2.15

// A download centre whose downloads stand still until a test moves them
// (setJob): progress, a pause, an error, the end, each exactly when a test
// wants it. `calls` records what the rows asked for, one line a call.
QtObject {
    property QtObject downloadFunction: QtObject {
        property var jobs: ({})
        property var calls: []

        function reset() {
            jobs = {}
            calls = []
        }

        function record(line) {
            calls = calls.concat([line])
        }

        function count(line) {
            return calls.filter(function (call) { return call === line }).length
        }

        // Changes the fields of entry `id`'s download (progress, speed, paused,
        // error), making it if there is none.
        function setJob(id, fields) {
            var job = jobs[id] || { progress: 0, speed: "", paused: false, error: "" }
            for (var key in fields)
                job[key] = fields[key]
            jobs[id] = job
        }

        function downloadFile(id, url, filename) {
            record("downloadFile " + id + " " + url + " " + filename)
            setJob(id, { paused: false, error: "" })
        }

        function pause(id) {
            record("pause " + id)
            if (jobs[id])
                jobs[id].paused = true
        }

        function stop(id) {
            record("stop " + id)
            delete jobs[id]
        }

        function downloadFinish(id) {
            record("downloadFinish " + id)
            delete jobs[id]
        }

        function getDownloadStatus(id) { return jobs[id] !== undefined }
        function getDownloadPaused(id) { return jobs[id] !== undefined && jobs[id].paused }
        function getDownloadError(id) { return jobs[id] ? jobs[id].error : "" }
        function getProgress(id) { return jobs[id] ? jobs[id].progress : 0 }
        function getDownloadSpeed(id) { return jobs[id] ? jobs[id].speed : "" }
    }
}
