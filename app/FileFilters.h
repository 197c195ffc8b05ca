#pragma once

#include <QString>

// Converts a "Label (*.a;*.b)|*.a;*.b|..." filter into Qt's "Label (*.a *.b);;..." form.
// A trailing label without patterns is dropped.
QString qtFileFilter(const QString& pairedFilter);
// The Open dialog's filter: the classic photo formats, then PNG, WebP, TIFF and HEIF,
// which "All" accepts as well.
QString photoOpenFilter();
