// Makes a frame file from a picture and the header values:
//   nfrm-make [--title T] [--border N] [--set Field=Value]... [--tiled] [--mask FILE]
//             PICTURE OUTPUT
// Fields are named as in the header (TopLeftWidth, PhotoLeft, ExtraWidth, ...); --border
// sets them all first and --set overrides single ones.
#include "FrameFileWriter.h"

#include "raster/BitmapIO.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

QByteArray readWhole(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

int fail(const QString& message)
{
    std::fprintf(stderr, "nfrm-make: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Writes a .nfrm frame file.");
    parser.addHelpOption();
    parser.addOptions({
        {"title", "Frame title (stored in CP949, at most 64 bytes).", "text"},
        {"border", "All corners, edges and the photo place set to N.", "N"},
        {"set", "One header field, e.g. TopLeftWidth=20 (repeatable).", "Field=Value"},
        {"tiled", "Repeat edge tiles instead of stretching them."},
        {"mask", "Grey mask picture stored after the colour picture.", "file"},
    });
    parser.addPositionalArgument("picture", "The frame picture (any format the program reads).");
    parser.addPositionalArgument("output", "The .nfrm file to write.");
    parser.process(application);
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return fail("need a picture and an output file");

    TNuvFrameHeader header;
    header.StretchEdges = 1;
    if (parser.isSet("border"))
        setBorder(header, parser.value("border").toInt());
    for (const QString& assignment : parser.values("set")) {
        const qsizetype equals = assignment.indexOf('=');
        bool number = false;
        const qint32 value = assignment.mid(equals + 1).toInt(&number);
        if (equals < 0 || !number || !setHeaderField(header, assignment.left(equals), value))
            return fail("bad --set " + assignment);
    }
    if (parser.isSet("tiled"))
        header.StretchEdges = 0;
    header.setTitle(parser.value("title"));

    const QByteArray picture = readWhole(files[0]);
    RasterBitmap check;
    if (!loadBitmapMemory(picture, check, 24))
        return fail("cannot read the picture " + files[0]);
    const QByteArray mask = parser.isSet("mask") ? readWhole(parser.value("mask")) : QByteArray();
    if (parser.isSet("mask") && mask.isEmpty())
        return fail("cannot read the mask " + parser.value("mask"));

    QSaveFile output(files[1]);
    if (!output.open(QIODevice::WriteOnly) || output.write(frameFile(header, picture, mask)) < 0 ||
        !output.commit())
        return fail("cannot write " + files[1]);
    return 0;
}
