#include "app/app_icon.h"

#include <QPixmap>

namespace palvoren {
namespace {

// A football: white hide, black patches, shaded towards the lower right. The palette is the
// sixteen-colour one, with transparency in place of fuchsia.
const char* const kMainIcon[] = {"32 32 16 1",
                                 "  c None",
                                 ". c #000000",
                                 "R c #800000",
                                 "g c #008000",
                                 "y c #808000",
                                 "n c #000080",
                                 "p c #800080",
                                 "t c #008080",
                                 "o c #C0C0C0",
                                 "+ c #808080",
                                 "r c #FF0000",
                                 "l c #00FF00",
                                 "Y c #FFFF00",
                                 "b c #0000FF",
                                 "a c #00FFFF",
                                 "# c #FFFFFF",
                                 "             .....              ",
                                 "          .....#.....           ",
                                 "        ...#########...         ",
                                 "      .....#########.....       ",
                                 "     .......#######.......      ",
                                 "    ........#######........     ",
                                 "   .........#######.........    ",
                                 "   .#.......#######.......#.    ",
                                 "  .###....###########....###.   ",
                                 "  .####..#############..####.   ",
                                 " .#########################oo.  ",
                                 " .#############.##########ooo.  ",
                                 " .###########.....#######oooo.  ",
                                 "..##########.......####oooooo.. ",
                                 "..#########.........##ooooooo.. ",
                                 ".###########.......##oooooooo+. ",
                                 ".......#####.......ooooo....... ",
                                 ".......#####.......ooooo....... ",
                                 " ......######.....oooooo......  ",
                                 " .......#######oooooooo.......  ",
                                 " .......######ooooooooo.......  ",
                                 "  .....######oooooooo+++.....   ",
                                 "  ....#####ooooooooo+++++....   ",
                                 "   .######ooooooooo++++++++.    ",
                                 "   ..####oooo.....++++++++..    ",
                                 "    ..#ooooo.......++++++..     ",
                                 "     ..ooooo.......+++++..      ",
                                 "      ..oooo.......++++..       ",
                                 "        ..o.........+..         ",
                                 "          ...........           ",
                                 "             .....              ",
                                 "                                "};

}  // namespace

QIcon AppIcon() {
    return QIcon(QPixmap(kMainIcon));
}

}  // namespace palvoren
