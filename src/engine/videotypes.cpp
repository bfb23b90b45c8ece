#include "videotypes.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <filesystem>

namespace {

// What the decoding library reads, by the type shared-mime-info gives the files.
const char* const kMimeTypes[] = {
    "video/mp4",
    "video/quicktime",
    "video/x-matroska",
    "video/x-matroska-3d",
    "video/webm",
    "video/x-msvideo",
    "video/x-ms-wmv",
    "application/vnd.ms-asf",
    "video/mpeg",
    "video/mp2t",
    "video/ogg",
    "video/x-ogm+ogg",
    "video/x-theora+ogg",
    "video/x-flv",
    "video/3gpp",
    "video/3gpp2",
    "video/dv",
    "application/mxf",
    "video/x-mjpeg",
    "application/vnd.rn-realmedia",
};

// Not in the MIME database: files the decoding library reads whose extension
// shared-mime-info gives no type (raw MPEG-1 and MPEG-2 video, NUT, YUV4MPEG). The desktop
// entries cannot name them; the open dialog and -R take them.
const char* const kExtensionsWithoutType[] = {"m1v", "m2v", "nut", "y4m"};

// Left out: extensions the database gives one of the types above that name no video, the
// index, playlist and clip files of a Blu-ray folder (video/mp2t) and 3GPP audio
// (video/3gpp). -R would only find them unreadable.
const char* const kNotVideos[] = {"bdm", "bdmv", "clpi", "cpi", "mpl", "mpls", "3ga"};

QStringList MakeExtensions() {
    const QMimeDatabase Database;
    QStringList Extensions;
    for (const char* Name : kMimeTypes)
        for (const QString& Suffix : Database.mimeTypeForName(QLatin1String(Name)).suffixes())
            Extensions << Suffix.toLower();
    for (const char* Extension : kExtensionsWithoutType)
        Extensions << QLatin1String(Extension);
    // A suffix of two parts ("tar.gz") is no extension of a video.
    Extensions.removeIf([](const QString& Extension) {
        return Extension.contains(QLatin1Char('.')) ||
               std::any_of(std::begin(kNotVideos), std::end(kNotVideos),
                           [&](const char* Not) { return Extension == QLatin1String(Not); });
    });
    Extensions.sort();
    Extensions.removeDuplicates();
    return Extensions;
}

} // namespace

QStringList VideoMimeTypes() {
    QStringList Types;
    for (const char* Name : kMimeTypes)
        Types << QLatin1String(Name);
    return Types;
}

QStringList VideoExtensions() {
    // The database is read once, on first use.
    static const QStringList Extensions = MakeExtensions();
    return Extensions;
}

bool HasVideoExtension(const std::string& Path) {
    // A name that only starts with a dot (".mp4") has no extension.
    const std::string Extension = std::filesystem::path(Path).extension().string();
    return !Extension.empty() &&
           VideoExtensions().contains(QString::fromStdString(Extension.substr(1)).toLower());
}
