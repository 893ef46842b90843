#pragma once
// Every key of the language table by name. The comment is the built-in English text; the
// numbers are the keys translators use in language.ini and never change.

namespace qv {

struct TextKey {
    const char* key;
};

namespace Text {

inline constexpr TextKey Depth1Bit{"000"};  // "1 bit"
inline constexpr TextKey Depth2Bit{"001"};  // "2 bit"
inline constexpr TextKey Depth4Bit{"002"};  // "4 bit"
inline constexpr TextKey Depth8Bit{"003"};  // "8 bit"
inline constexpr TextKey Depth16Bit{"004"};  // "16 bit"
inline constexpr TextKey Depth12Bit{"005"};  // "12 bit"
inline constexpr TextKey ByteUnit{"006"};  // "byte"
inline constexpr TextKey MelodiesLoading{"007"};  // "Melodies loading..."
inline constexpr TextKey OperatorsListLoading{"008"};  // "Operators list loading..."
inline constexpr TextKey PicturesLoading{"009"};  // "Pictures loading..."
inline constexpr TextKey Melody{"010"};  // "Melody"
inline constexpr TextKey ColourCountRefused{"011"};  // "The quantity of colors should be: 2, 16, 256 or 65000"
inline constexpr TextKey WrongResolution{"012"};  // "Incorrect resolution X:Y"
inline constexpr TextKey FileSizeAtMost{"013"};  // "The file size should be less or is equal"
inline constexpr TextKey BytesUnit{"014"};  // "byte(s)"
inline constexpr TextKey NoDataFileReadPhone{"015"};  // "The file with media data is not retrieved. For its creation it is ..."
inline constexpr TextKey Attention{"016"};  // "Attention"
inline constexpr TextKey OperatorCodePrefix{"017"};  // "Operator code -"
inline constexpr TextKey ConnectCableHoldPower{"018"};  // "Connect a cable. Press and hold the power button..."
inline constexpr TextKey OperationCompleted{"019"};  // "Operation completed."
inline constexpr TextKey OperationAborted{"020"};  // "Operation aborted."
inline constexpr TextKey ErrorOccurred{"021"};  // "Error occured!"
inline constexpr TextKey ErrorPrefix{"022"};  // "Error :"
inline constexpr TextKey PhoneNotResponding{"023"};  // "Phone is not responding! Make sure you phone is connected and swit..."
inline constexpr TextKey ResultOk{"024"};  // "No Error. Operation succedeed."
inline constexpr TextKey ResultAborted{"025"};  // "Operation Aborted"
inline constexpr TextKey ResultInvalidFileName{"026"};  // "Invalid file name"
inline constexpr TextKey ResultCantOpenFile{"027"};  // "Can not open file"
inline constexpr TextKey ResultFileTooLarge{"028"};  // "File size exeeded 64Kb"
inline constexpr TextKey ResultNotEnoughMemory{"029"};  // "Not enough memory to load file"
inline constexpr TextKey ResultFileReadError{"030"};  // "File read error"
inline constexpr TextKey ResultFileWriteError{"031"};  // "File write error"
inline constexpr TextKey ResultWrongComSettings{"032"};  // "Wrong COM port settings"
inline constexpr TextKey ResultComInitFailed{"033"};  // "COM port init failed"
inline constexpr TextKey ResultCantOpenCom{"034"};  // "Can not open COM port"
inline constexpr TextKey ResultCantSetTimeouts{"035"};  // "Can not setup timeouts"
inline constexpr TextKey ResultCantReadComState{"036"};  // "Can not read COM port state"
inline constexpr TextKey ResultCantSetComState{"037"};  // "Can not set COM port state"
inline constexpr TextKey ResultCantSetComBuffer{"038"};  // "Can not setup COM port buffer"
inline constexpr TextKey ResultCantSetComMask{"039"};  // "Can not setup COM port mask"
inline constexpr TextKey ResultNoResponse{"040"};  // "No response from target"
inline constexpr TextKey ResultComWriteFailed{"041"};  // "COM port write failed"
inline constexpr TextKey ResultComReadFailed{"042"};  // "COM port read failed"
inline constexpr TextKey ResultInvalidResponse{"043"};  // "Invalid response from target"
inline constexpr TextKey ResultComCloseError{"044"};  // "COM port close error"
inline constexpr TextKey ResultCantReadVersion{"045"};  // "Can not read sowftware version"
inline constexpr TextKey ResultPhoneNotAnswering{"046"};  // "Can not receive a response from the phone. May be it is turned off."
inline constexpr TextKey ResultUnknown{"047"};  // "Unknown Error"
inline constexpr TextKey WaitingForPhone{"048"};  // "Waiting for phone's response..."
inline constexpr TextKey AbortedPrefix{"049"};  // "Aborted:"
inline constexpr TextKey ResponseAccepted{"050"};  // "Response accepted"
inline constexpr TextKey WritingPictures{"051"};  // "Writing pictures -"
inline constexpr TextKey OfCount{"052"};  // "of"
inline constexpr TextKey WritingMelodies{"053"};  // "Writing melodies -"
inline constexpr TextKey WritingOperatorsList{"054"};  // "Writing operators list -"
inline constexpr TextKey CloseButton{"055"};  // "Close"
inline constexpr TextKey TaskCompleted{"056"};  // "Operation completed."
inline constexpr TextKey SendingFlasher{"057"};  // "Sending flasher"
inline constexpr TextKey PreparingPhone{"058"};  // "Preparing phone"
inline constexpr TextKey WritingData{"059"};  // "Writing data"
inline constexpr TextKey ErasingData{"060"};  // "Erasing data"
inline constexpr TextKey ReadingPictures{"061"};  // "Reading pictures -"
inline constexpr TextKey ReadingMelodies{"062"};  // "Reading melodies -"
inline constexpr TextKey ReadingOperatorsList{"063"};  // "Reading operators list -"
inline constexpr TextKey SendingLoader{"064"};  // "Flasher sending..."
inline constexpr TextKey WritingCompleted{"065"};  // "Writing completed..."
inline constexpr TextKey ErasingCompleted{"066"};  // "Erasing completed..."
inline constexpr TextKey ReadingCompleted{"067"};  // "Reading completed..."
inline constexpr TextKey ProgressClose{"068"};  // "Close"
inline constexpr TextKey ProgressCancel{"069"};  // "Cancel"
inline constexpr TextKey TaskAbortedLower{"070"};  // "Operation aborted"
inline constexpr TextKey ConfirmDelete{"071"};  // "Do you realy want delete selected items?"
inline constexpr TextKey StringLengthPrefix{"072"};  // "String length -"
inline constexpr TextKey LoadingStrings{"073"};  // "Load string resources..."
inline constexpr TextKey WritingStrings{"074"};  // "Writing strings -"
inline constexpr TextKey WritingPatch{"075"};  // "Writing data"
inline constexpr TextKey ReadingStrings{"076"};  // "Reading strings -"
inline constexpr TextKey Depth24Bit{"077"};  // "24 bit"
inline constexpr TextKey Depth32Bit{"078"};  // "32 bit"
inline constexpr TextKey ProgramName{"8001"};  // "Quorvanta"
inline constexpr TextKey OpenServiceFile{"8002"};  // "Open service file"
inline constexpr TextKey Import{"8003"};  // "Import"
inline constexpr TextKey Export{"8004"};  // "Export"
inline constexpr TextKey QuorvantaOnTheWeb{"8005"};  // "Quorvanta on the web"
inline constexpr TextKey SaveServiceFile{"8006"};  // "Save service file"
inline constexpr TextKey OperatorName1{"8007"};  // "Operator name #1"
inline constexpr TextKey OperatorName2{"8008"};  // "Operator name #2"
inline constexpr TextKey OperatorName3{"8009"};  // "Operator name #3"
inline constexpr TextKey Confirmation{"8010"};  // "Confirmation"
inline constexpr TextKey Flash{"8011"};  // "Flash"
inline constexpr TextKey OperatorCode{"8012"};  // "Operator code"
inline constexpr TextKey Information{"8013"};  // "Information"
inline constexpr TextKey Settings{"8014"};  // "Settings"
inline constexpr TextKey Close{"8015"};  // "Close"
inline constexpr TextKey Minimize{"8016"};  // "Minimize"
inline constexpr TextKey DisplayOptions{"8017"};  // "Display options"
inline constexpr TextKey Transparency{"8018"};  // "Transparency"
inline constexpr TextKey WriteFirmWare{"8019"};  // "Write FirmWare"
inline constexpr TextKey AboutThisProgram{"8020"};  // "About this program..."
inline constexpr TextKey SpareConfirmation{"8021"};  // "Confirmation" (no control shows it)
inline constexpr TextKey RestoreOriginalTable{"8022"};  // "Restore original table..."
inline constexpr TextKey ScaleY{"8023"};  // "Scale Y"
inline constexpr TextKey ScaleX{"8024"};  // "Scale X"
inline constexpr TextKey TheThirdNameOfTheOperator{"8025"};  // "The third name of the operator (the maximal length of 50 symbols)"
inline constexpr TextKey TheSecondNameOfTheOperator{"8026"};  // "The second name of the operator (the maximal length of 25 symbols)"
inline constexpr TextKey TheFirstNameOfTheOperator{"8027"};  // "The first name of the operator (the maximal length of 10 symbols)"
inline constexpr TextKey CodeOfTheOperator{"8028"};  // "Code of the operator"
inline constexpr TextKey Mode{"8029"};  // "Mode"
inline constexpr TextKey Images{"8030"};  // "Images"
inline constexpr TextKey Melodies{"8031"};  // "Melodies"
inline constexpr TextKey Operators{"8032"};  // "Operators"
inline constexpr TextKey WriteFW{"8033"};  // "Write FW"
inline constexpr TextKey OpenFWFile{"8034"};  // "Open FW file"
inline constexpr TextKey MelodySize{"8035"};  // "Melody size"
inline constexpr TextKey Picture{"8036"};  // "Picture"
inline constexpr TextKey OpenServiceFileHint{"8037"};  // "Open service file"
inline constexpr TextKey TitleMinimize{"8038"};  // "Minimize"
inline constexpr TextKey TitleClose{"8039"};  // "Close"
inline constexpr TextKey OpenFile{"8040"};  // "Open file"
inline constexpr TextKey Play{"8041"};  // "Play"
inline constexpr TextKey OpenMelodyFile{"8042"};  // "Open melody file"
inline constexpr TextKey PathToRestoreFile{"8043"};  // "Path to Restore file"
inline constexpr TextKey OpenRestorePatchFile{"8044"};  // "Open Restore Patch file"
inline constexpr TextKey AssignMelodyName{"8045"};  // "Assign melody name"
inline constexpr TextKey EditSelectedString{"8046"};  // "Edit selected string"
inline constexpr TextKey InsertLineFeed{"8047"};  // "Insert LineFeed"
inline constexpr TextKey Apply{"8048"};  // "Apply"
inline constexpr TextKey LangPack{"8049"};  // "LangPack"
inline constexpr TextKey Restore{"8050"};  // "Restore"
inline constexpr TextKey EditString{"8051"};  // "Edit string"
inline constexpr TextKey SearchString{"8052"};  // "Search string"
inline constexpr TextKey SearchHint{"8053"};  // "Search string"
inline constexpr TextKey Unused8054{"8054"};  // (empty)
inline constexpr TextKey Unused8055{"8055"};  // (empty)
inline constexpr TextKey Unused8056{"8056"};  // (empty)
inline constexpr TextKey Unused8057{"8057"};  // (empty)
inline constexpr TextKey Unused8058{"8058"};  // (empty)
inline constexpr TextKey Unused8059{"8059"};  // (empty)
inline constexpr TextKey SetupCOMPort{"8060"};  // "Setup COM port"
inline constexpr TextKey Cancel{"8061"};  // "Cancel"
inline constexpr TextKey SetupApply{"8062"};  // "Apply"
inline constexpr TextKey COMPort{"8063"};  // "COM port"
inline constexpr TextKey ReadingSpeed{"8064"};  // "Reading speed"
inline constexpr TextKey Setup{"8065"};  // "Setup"
inline constexpr TextKey MelodyPlayer{"8066"};  // "Melody player..."
inline constexpr TextKey WritingSpeed{"8067"};  // "Writing speed"
inline constexpr TextKey PathToPlayer{"8068"};  // "Path to player"
inline constexpr TextKey KeyboardLocked{"8069"};  // "Keyboard Locked"
inline constexpr TextKey CreateRestorePatchFile{"8070"};  // "Create Restore Patch file"
inline constexpr TextKey Unused8071{"8071"};  // (empty)
inline constexpr TextKey Unused8072{"8072"};  // (empty)
inline constexpr TextKey Unused8073{"8073"};  // (empty)
inline constexpr TextKey Unused8074{"8074"};  // (empty)
inline constexpr TextKey DisplayOptionsTitle{"8075"};  // "Display options"
inline constexpr TextKey BackgroundColourTitle{"8076"};  // "Background"
inline constexpr TextKey TextColourTitle{"8077"};  // "Text"
inline constexpr TextKey DisplayOptionsCancel{"8078"};  // "Cancel"
inline constexpr TextKey DisplayOptionsApply{"8079"};  // "Apply"
inline constexpr TextKey DisplayOptionsTransparency{"8080"};  // "Transparency"
inline constexpr TextKey Unused8081{"8081"};  // (empty)
inline constexpr TextKey Unused8082{"8082"};  // (empty)
inline constexpr TextKey Unused8083{"8083"};  // (empty)
inline constexpr TextKey Unused8084{"8084"};  // (empty)
inline constexpr TextKey Info{"8085"};  // "Info"
inline constexpr TextKey Model{"8086"};  // "Model"
inline constexpr TextKey Version{"8087"};  // "Version"
inline constexpr TextKey InfoClose{"8088"};  // "Close"
inline constexpr TextKey Unused8089{"8089"};  // (empty)
inline constexpr TextKey Unused8090{"8090"};  // (empty)
inline constexpr TextKey Unused8091{"8091"};  // (empty)
inline constexpr TextKey Unused8092{"8092"};  // (empty)
inline constexpr TextKey Unused8093{"8093"};  // (empty)
inline constexpr TextKey Unused8094{"8094"};  // (empty)
inline constexpr TextKey Progress{"8095"};  // "Progress"
inline constexpr TextKey DialogCancel{"8096"};  // "Cancel"
inline constexpr TextKey Unused8097{"8097"};  // (empty)
inline constexpr TextKey Unused8098{"8098"};  // (empty)
inline constexpr TextKey Unused8099{"8099"};  // (empty)
inline constexpr TextKey About{"8100"};  // "About..."
inline constexpr TextKey AboutClose{"8101"};  // "Close"
inline constexpr TextKey LicenceNotice{"8102"};  // "Quorvanta is free software: you may share and change it under the ..."
inline constexpr TextKey Unused8103{"8103"};  // (empty)
inline constexpr TextKey Unused8104{"8104"};  // (empty)
inline constexpr TextKey FontPage0{"8200"};  // "Normal"
inline constexpr TextKey FontPage1{"8201"};  // "Shrink"
inline constexpr TextKey FontPage2{"8202"};  // "Normal+Bold"
inline constexpr TextKey FontPage3{"8203"};  // "Shrink+Bold"
inline constexpr TextKey CreateMEMFile{"8110"};  // "Create MEM file"
inline constexpr TextKey OK{"8111"};  // "OK"
inline constexpr TextKey ByMobile{"8112"};  // "by Mobile"
inline constexpr TextKey ByFullFlash{"8113"};  // "by FullFlash"
inline constexpr TextKey OperatorNameUnshowable{"8300"};  // "Operator name #%1 holds characters the phone cannot show: %2"
inline constexpr TextKey NoPatchFileChosen{"8301"};  // "Choose the patch file to restore first."
inline constexpr TextKey PatchFileMissing{"8302"};  // "There is no patch file" (the path follows)
inline constexpr TextKey AllImageFiles{"8303"};  // "All images"
inline constexpr TextKey AllFiles{"8304"};  // "All files"
inline constexpr TextKey CreateMemCancel{"8305"};  // "Cancel"
inline constexpr TextKey SearchNotFound{"8306"};  // "Not found"

}  // namespace Text
}  // namespace qv
