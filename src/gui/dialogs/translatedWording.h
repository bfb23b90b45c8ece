// A job's wording (jobs/wording.h) in the user's language: its translation under the
// wordings' context, or the English wording where there is none, with the values put in.
#pragma once

#include "jobs/wording.h"

#include <QCoreApplication>
#include <QString>

inline QString TranslatedWording(const TWording& Wording) {
    if (Wording.Empty())
        return {};
    QString Text = QCoreApplication::translate(kWordingContext, Wording.Format);
    for (const std::string& Value : Wording.Args)
        Text = Text.arg(QString::fromStdString(Value));
    return Text;
}
