#pragma once
#include <QString>
#include <stdexcept>

// A failure as the program reports it: a number and a description, in the classic runtime's terms.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number(number), description(description) {}
    int number;
    QString description;
};

// The classic runtime's own failures, with their numbers and texts.
namespace Err {
inline RuntimeError overflow() { return {6, QStringLiteral("Overflow")}; }
inline RuntimeError subscriptOutOfRange() { return {9, QStringLiteral("Subscript out of range")}; }
inline RuntimeError typeMismatch() { return {13, QStringLiteral("Type mismatch")}; }
inline RuntimeError fileNotFound() { return {53, QStringLiteral("File not found")}; }
inline RuntimeError permissionDenied() { return {70, QStringLiteral("Permission denied")}; }
inline RuntimeError pathNotFound() { return {76, QStringLiteral("Path not found")}; }
inline RuntimeError cannotCreateObject() { return {429, QStringLiteral("ActiveX component can't create object")}; }
inline RuntimeError notSupported() { return {438, QStringLiteral("Object doesn't support this property or method")}; }
inline RuntimeError fileNameBufferTooSmall() { return {20476, QStringLiteral("The FileName buffer is too small to store the selected file name(s).")}; }
}  // namespace Err
