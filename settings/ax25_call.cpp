#include "settings/ax25_call.h"

#include <algorithm>

bool isAx25Call(QStringView call) {
    return !call.isEmpty() && call.size() <= kAx25CallLength &&
           std::all_of(call.begin(), call.end(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
           });
}

QString raisedCall(const QString& call) {
    QString raised = call;
    for (QChar& c : raised) {
        if (c >= u'a' && c <= u'z') {
            c = QChar(c.unicode() - u'a' + u'A');
        }
    }
    return raised;
}
