#pragma once

#include <QString>

// The exchange's own texts, shown in the receive view's status bar and message boxes; `vlr read`
// repeats some of them in its summary.
namespace vlr::link::texts {

inline QString errorCaption() {
    return QStringLiteral("Ошибка");
}
inline QString informationCaption() {
    return QStringLiteral("Информация");
}
inline QString instrumentNotIdentified() {
    return QStringLiteral("Прибор не опознан!");
}
inline QString archiveEmpty() {
    return QStringLiteral("Записей в архиве нет!");
}
inline QString recordTransmissionError() {
    return QStringLiteral("Ошибка передачи данных !!!");
}
inline QString identificationTransmissionError() {
    return QStringLiteral("Ошибка передачи. Повтор.");
}
inline QString unknownFirmware() {
    return QStringLiteral("Неизвестная версия прибора");
}
inline QString disconnected() {
    return QStringLiteral("Отключен");
}
inline QString asphaltTabCaption() {
    return QStringLiteral("ВТР-К9 Асфальтобетон");
}
inline QString probingPort(int portNumber) {
    return QStringLiteral("Опрос порта COM%1...").arg(portNumber);
}
inline QString identificationRequested() {
    return QStringLiteral("Запрос типа прибора и версии...");
}
inline QString portState(int portNumber, int baudRate) {
    return QStringLiteral("COM%1/%2").arg(portNumber).arg(baudRate);
}
inline QString receiving(int received, int expected) {
    return QStringLiteral("Прием информации... Принято: %1/%2").arg(received).arg(expected);
}
// Told once while the fixed port is there but does not open.
inline QString portBusy(int portNumber) {
    return QStringLiteral("Порт COM%1 занят другой программой").arg(portNumber);
}
inline QString portNoAccess(int portNumber) {
    return QStringLiteral("Нет доступа к порту COM%1").arg(portNumber);
}
inline QString portNotOpening(int portNumber) {
    return QStringLiteral("Порт COM%1 не открывается").arg(portNumber);
}
// A read cut short because its port went away (an adapter pulled out).
inline QString portLost(int portNumber, int received, int expected) {
    return QStringLiteral("Порт COM%1 отключен, чтение прервано. Принято: %2/%3")
        .arg(portNumber)
        .arg(received)
        .arg(expected);
}
// A read cut short because the database server went away; failure names it and the reason.
inline QString databaseLost(const QString& failure, int received, int expected) {
    return QStringLiteral("%1\nЧтение прервано. Принято: %2/%3")
        .arg(failure, QString::number(received), QString::number(expected));
}
// Left in the status bar when a read ends with records the database refused.
inline QString recordsNotStored(int notStored, int received) {
    return QStringLiteral("Не сохранено записей: %1 из %2").arg(notStored).arg(received);
}

}  // namespace vlr::link::texts
