#include "sim/sim_options.h"

#include "sim/instrument_archive.h"

#include <QFile>

#include <stdexcept>

namespace vlr::sim {
namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

int toNumber(const QString& option, const QString& value, int minimum, int maximum) {
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        fail(QStringLiteral("%1: expected a number from %2 to %3, got '%4'")
                 .arg(option)
                 .arg(minimum)
                 .arg(maximum)
                 .arg(value));
    return number;
}

}  // namespace

QString simHelpText() {
    return QStringLiteral(
        "Usage: vlr-sim [OPTIONS]\n"
        "\n"
        "Simulates an instrument on a pseudo-terminal. The first line printed is the device\n"
        "path; a program that opens it talks to the instrument (VLR_COM1=<path> vlr read).\n"
        "It echoes Z, answers V with its identification and n / O with its records.\n"
        "\n"
        "Instrument:\n"
        "  --kind osk|vtr|vtra   OSK, the press, or its asphalt variant with two archives\n"
        "                        (default vtr)\n"
        "  --subtype N           device subtype (defaults: osk 0, vtr 30, vtra 41;\n"
        "                        the press also knows 40 and 50)\n"
        "  --type N              device type instead of the kind's (an unknown instrument)\n"
        "  --firmware YYYY-MM-DD firmware date (default 2010-01-15)\n"
        "\n"
        "Records:\n"
        "  --records N[,M]       records per archive, generated (default 10 in each archive)\n"
        "  --seed S              seed of the generated records (default 1)\n"
        "  --records-file FILE   records from a file instead: one per line, the archive number\n"
        "                        then the payload bytes in hex ('0 03 01 00 00 ...');\n"
        "                        '#' starts a comment line\n"
        "\n"
        "Line:\n"
        "  --baud BPS            line rate the answers are paced at, 10 bits per character\n"
        "                        (default 9600; 0 sends at once)\n"
        "  --delay MS            pause before each answer (default 0)\n"
        "\n"
        "Faults (K counts the records of a read from 1, across archives):\n"
        "  --damage-at K         record K is sent with a wrong checksum\n"
        "  --silent-after K      after record K the instrument answers nothing more\n"
        "  --short-at K          record K is sent with half its payload\n"
        "\n"
        "  --quiet               no log of the conversation on standard error\n"
        "  --help                this text\n"
        "  --version             the program's name and version\n");
}

SimOptions parseSimOptions(const QStringList& arguments) {
    SimOptions options;
    const KindProfile* kind = findKind(QStringLiteral("vtr"));
    int type = -1;
    int subType = -1;
    QString countsText;
    QString recordsFile;
    std::uint32_t seed = 1;

    for (int i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            options.showHelp = true;
            continue;
        }
        if (option == QLatin1String("--version")) {
            options.showVersion = true;
            continue;
        }
        if (option == QLatin1String("--quiet")) {
            options.quiet = true;
            continue;
        }
        if (i + 1 >= arguments.size())
            fail(QStringLiteral("unknown option or missing value: %1").arg(option));
        const QString value = arguments[++i];
        if (option == QLatin1String("--kind")) {
            kind = findKind(value);
            if (!kind)
                fail(QStringLiteral("--kind: expected osk, vtr or vtra, got '%1'").arg(value));
        } else if (option == QLatin1String("--subtype")) {
            subType = toNumber(option, value, 0, 255);
        } else if (option == QLatin1String("--type")) {
            type = toNumber(option, value, 0, 255);
        } else if (option == QLatin1String("--firmware")) {
            options.setup.firmwareDate = QDate::fromString(value, Qt::ISODate);
            const int year = options.setup.firmwareDate.year();
            if (!options.setup.firmwareDate.isValid() || year < 2000 || year > 2255)
                fail(QStringLiteral("--firmware: expected a date 2000-01-01 .. 2255-12-31"));
        } else if (option == QLatin1String("--records")) {
            countsText = value;
        } else if (option == QLatin1String("--seed")) {
            seed = static_cast<std::uint32_t>(toNumber(option, value, 0, 0x7FFFFFFF));
        } else if (option == QLatin1String("--records-file")) {
            recordsFile = value;
        } else if (option == QLatin1String("--baud")) {
            options.pacing.bitsPerSecond = toNumber(option, value, 0, 4'000'000);
        } else if (option == QLatin1String("--delay")) {
            options.pacing.answerDelayMs = toNumber(option, value, 0, 600'000);
        } else if (option == QLatin1String("--damage-at")) {
            options.faults.damagedRecord = toNumber(option, value, 1, 0xFFFF * 2);
        } else if (option == QLatin1String("--silent-after")) {
            options.faults.silentAfterRecord = toNumber(option, value, 1, 0xFFFF * 2);
        } else if (option == QLatin1String("--short-at")) {
            options.faults.shortRecord = toNumber(option, value, 1, 0xFFFF * 2);
        } else {
            fail(QStringLiteral("unknown option: %1").arg(option));
        }
    }

    options.setup.deviceType = type >= 0 ? type : kind->deviceType;
    options.setup.deviceSubType = subType >= 0 ? subType : kind->defaultSubType;
    if (!recordsFile.isEmpty()) {
        QFile file(recordsFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            fail(QStringLiteral("--records-file: cannot read %1").arg(recordsFile));
        try {
            options.setup.archives =
                parseRecordsText(QString::fromUtf8(file.readAll()), kind->archiveCount);
        } catch (const std::runtime_error& error) {
            fail(QStringLiteral("%1: %2").arg(recordsFile, QString::fromStdString(error.what())));
        }
        return options;
    }

    std::vector<int> counts(kind->archiveCount, 10);
    if (!countsText.isEmpty()) {
        const QStringList parts = countsText.split(QLatin1Char(','));
        if (parts.size() != kind->archiveCount)
            fail(
                QStringLiteral("--records: this kind keeps %1 archive(s)").arg(kind->archiveCount));
        for (int a = 0; a < kind->archiveCount; ++a)
            counts[a] = toNumber(QStringLiteral("--records"), parts[a], 0, 0xFFFF);
    }
    options.setup.archives = generateArchives(kind->kind, counts, seed);
    return options;
}

}  // namespace vlr::sim
