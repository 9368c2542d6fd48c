#pragma once
// The shell's pictures, drawn by the program: tabs and radio images of the
// new-game dialog, the player icons, the question and pause pictures, dialog
// frames, a small piece set, the menu buttons, the splash picture and the
// program's icon. Every function draws on each call; callers keep what they use.
#include <QColor>
#include <QPixmap>

namespace corvane::ShellPictures {

// The shell's palette: dark slate-teal backgrounds, pale cyan for what is chosen.
inline const QColor Background{29, 58, 70};
inline const QColor Panel{36, 80, 94};
inline const QColor Edge{120, 178, 192};
inline const QColor CaptionIdle{89, 150, 168};
inline const QColor CaptionChosen{192, 246, 249};
inline const QColor Gold{224, 184, 96};

QPixmap Tab(int tab);                    // imgTab(1..3): the tab strip with tab n in front
QPixmap RadioUp();                       // a choice that is not selected
QPixmap RadioDown();                     // the selected choice
QPixmap Human(int variant);              // imgJog: 1 with White's plate, 2 with Black's
QPixmap Computer(int variant);           // imgCPU: 1 with Black's plate, 2 with White's
QPixmap Res();                           // imgRes: the question picture
QPixmap Mao();                           // ImgMao: the raised hand of the pause notice
QPixmap Frame1(QSize size);              // background of the new-game dialog
QPixmap Frame2(QSize size);              // background of the small dialogs
QPixmap Piece(int pieceIndex, int size); // IMW(1..12): 1..6 White R N B Q K P, 7..12 Black
QPixmap Menu(int item);                  // imgMenu(1..9) pictures; item 4 is "Maximizar"
QPixmap Restaurar();                     // item 4 while the window is full screen
QPixmap SoundOff();                      // item 2 while the sound is off
QPixmap Button(bool lit, QSize size);    // caption button behind a label
QPixmap Splash();                        // picture of the splash window
QPixmap AppIcon(int size);               // the program's icon (desktop entry, window)

} // namespace corvane::ShellPictures
