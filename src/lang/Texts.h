// Every English text the program passes through the catalogue, in one list. Code names a text
// by its constant (text::ErrorReadingConfiguration); the list also feeds the check that every
// shipped catalogue translates every text.
#pragma once

#include <array>
#include <string_view>

#define KD4410_TRANSLATED_TEXTS(X)                                                   \
    /* window */                                                                     \
    X(ProgramTitle, u"KD4410 User Software")                                         \
    X(File, u"File")                                                                 \
    X(LoadConfiguration, u"Load configuration")                                      \
    X(SaveConfiguration, u"Save configuration")                                      \
    X(Exit, u"Exit")                                                                 \
    X(Settings, u"Settings")                                                         \
    X(LanguageSelection, u"Language selection")                                      \
    X(Help, u"Help")                                                                 \
    X(About, u"About")                                                               \
    X(TypeOfMeasurement, u"Type of measurement")                                     \
    X(UnitsOfLength, u"Units of length")                                             \
    X(PressureUnits, u"Pressure units")                                              \
    X(ActualValue, u"Actual value")                                                  \
    X(Output, u"Output")                                                             \
    X(HigherValue, u"Higher value")                                                  \
    X(LowerValue, u"Lower value")                                                    \
    X(Configuration, u"Configuration")                                               \
    X(Pressure, u"Pressure")                                                         \
    X(HeightOfLiquidColumn, u"Height of the liquid column")                          \
    X(NominalRange, u"Nominal range")                                                \
    X(SpecificGravity, u"Specific gravity")                                          \
    X(ZeroCorrection, u"Zero correction")                                            \
    X(ReadConfiguration, u"Read configuration")                                      \
    X(WriteConfiguration, u"Write configuration")                                    \
    X(DeviceInfo, u"Device info")                                                    \
    /* output modes */                                                               \
    X(ModeOff, u"Off")                                                               \
    X(ModeCompression, u"Compression")                                               \
    X(ModeExtraction, u"Extraction")                                                 \
    X(ModeCorrectValue, u"Correct value")                                            \
    X(ModeErrorValue, u"Error value")                                                \
    /* About box */                                                                  \
    X(Version, u"Version")                                                           \
    /* status bar */                                                                 \
    X(DeviceDoesNotReply, u"The device does not reply")                              \
    X(DeviceNotConnected, u"The device is not connected")                            \
    /* message boxes */                                                              \
    X(Error, u"Error")                                                               \
    X(Message, u"Message")                                                           \
    X(SerialNumberIs, u"Serial number is %i")                                        \
    X(DeviceNotReply, u"Device not reply")                                           \
    X(SpecificGravityOutOfRange, u"Specific gravity out of range")                   \
    X(ConfigurationSuccessfullyRead, u"Configuration successfully read")             \
    X(ErrorReadingConfiguration, u"Error reading configuration")                     \
    X(ErrorInValuesOfPressure, u"Error in values of pressure")                       \
    X(ConfigurationSuccessfullyWritten, u"Configuration successfully written")       \
    X(ErrorWritingConfiguration, u"Error writing configuration")                     \
    X(SetZeroPressure, u"Set the zero pressure and press OK")                        \
    X(ZeroErrorIs, u"Zero error is")                                                 \
    X(FixThisError, u"Would you like to fix this error?")                            \
    X(CorrectionImplemented, u"Correction successfully implemented")                 \
    X(ErrorZeroCorrection, u"Error zero correction")                                 \
    X(ValueOutOfRange, u"The value is out of range")                                 \
    X(ValueLessThanLower, u"Value is less than the lower value")                     \
    X(ValueGreaterThanHigher, u"Value is greater than the higher value")             \
    X(NotValidRealNumber, u"Not valid real number")                                  \
    X(InvalidRealNumber, u"Invalid real number")                                     \
    X(CannotOpenFile, u"Cannot open file")                                           \
    /* names read out by screen readers */                                           \
    X(OutputHigherValue, u"Output %i higher value")                                  \
    X(OutputLowerValue, u"Output %i lower value")                                    \
    X(OutputConfiguration, u"Output %i configuration")                               \
    X(LampLit, u"lit")                                                               \
    X(LampDark, u"dark")                                                             \
    /* trend window */                                                               \
    X(View, u"View")                                                                 \
    X(Trend, u"Trend")                                                               \
    X(Span, u"Span")                                                                 \
    X(SpanAll, u"All")                                                               \
    X(Pause, u"Pause")                                                               \
    X(SaveCsv, u"Save CSV")                                                          \
    X(RecordToFile, u"Record to file")                                               \
    X(StopRecording, u"Stop recording")                                              \
    X(RecordingTo, u"Recording to")                                                  \
    X(NotRecording, u"Not recording")                                                \
    X(Minimum, u"Minimum")                                                           \
    X(Maximum, u"Maximum")                                                           \
    X(Mean, u"Mean")                                                                 \
    X(Samples, u"Samples")                                                           \
    X(Time, u"Time")                                                                 \
    X(TickActualValue, u"Tick \"Actual value\" in the main window to see the trend")  \
    X(CsvFiles, u"CSV files")                                                        \
    X(AllFiles, u"All files")                                                        \
    X(CannotWriteFile, u"Cannot write file")                                         \
    X(RecordingStopped, u"The file cannot be written. Recording has stopped")          \
    X(NoReplySince, u"No reply from the transmitter since")                           \
    X(PollStopped, u"Not polling: tick \"Actual value\" in the main window to go on")  \
    X(NoData, u"no data")                                                            \
    X(ResumeByItself, u"Resume by itself")                                           \
    X(LinkLost, u"Link lost")                                                        \
    X(LinkRegained, u"Link regained")                                                \
    X(PollingStopped, u"Polling stopped")                                            \
    X(ConfigurationWritten, u"Configuration written")                                \
    X(DisplayUnitChanged, u"Display unit changed")                                   \
    X(Recording, u"Recording")                                                       \
    X(NoSamplesSince, u"no samples since")                                           \
    X(NotARegularFile, u"Not a regular file")                                        \
    X(AppendToForeignFile, u"The file does not begin with the trend's header. Append to it anyway?")  \
    X(Live, u"Live")                                                                 \
    X(ValueAxis, u"Value axis")                                                      \
    X(AxisFitData, u"Fit the data")                                                  \
    X(AxisFitThresholds, u"Data and thresholds")                                     \
    X(AxisFixed, u"Fixed limits")  \
    /* commissioning history */                                                      \
    X(History, u"History")                                                           \
    X(HistoryNotKept, u"History not kept")                                           \
    X(SerialNumber, u"Serial number")                                                \
    X(Since, u"Since")                                                               \
    X(Refresh, u"Refresh")                                                           \
    X(Operation, u"Operation")                                                       \
    X(Result, u"Result")                                                             \
    X(Tag, u"Tag")                                                                   \
    X(Note, u"Note")                                                                 \
    X(Field, u"Field")                                                               \
    X(AsFound, u"As found")                                                          \
    X(AsLeft, u"As left")                                                            \
    X(SaveTagAndNote, u"Save tag and note")                                          \
    X(Unknown, u"Unknown")                                                           \
    X(ResultDone, u"Done")                                                           \
    X(ResultVerified, u"Verified")                                                   \
    X(ResultFailed, u"Failed")                                                       \
    X(ZeroOffset, u"Zero offset")                                                    \
    X(ZeroError, u"Zero error")                                                      \
    X(FailedAt, u"Failed at")                                                        \
    X(ReadAt, u"Read at")                                                            \
    X(CommissioningReport, u"Commissioning report")                                  \
    X(Date, u"Date")                                                                 \
    X(Operator, u"Operator")                                                         \
    X(Host, u"Host")                                                                 \
    X(ProgramVersion, u"Program version")                                            \
    X(Verification, u"Verification")                                                 \
    X(ConfigurationFile, u"Configuration file")                                      \
    X(Signature, u"Signature")                                                       \
    X(Changed, u"Changed")                                                           \
    X(PrintReport, u"Print")                                                         \
    X(SaveAsPdf, u"Save as PDF")                                                     \
    X(CloseWindow, u"Close")                                                         \
    X(NoRecordsOfTransmitter, u"The history holds no read or write of this transmitter")\
    X(PdfFiles, u"PDF files")

namespace text {

#define KD4410_TEXT_CONSTANT(name, english) inline constexpr std::u16string_view name = english;
KD4410_TRANSLATED_TEXTS(KD4410_TEXT_CONSTANT)
#undef KD4410_TEXT_CONSTANT

#define KD4410_TEXT_ENTRY(name, english) english,
inline constexpr std::u16string_view All[] = {KD4410_TRANSLATED_TEXTS(KD4410_TEXT_ENTRY)};
#undef KD4410_TEXT_ENTRY

}  // namespace text
