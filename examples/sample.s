[global]
multiline=true
template="INSERT INTO users (name, email, role) VALUES ('#1#', '#2#', '#3#');"
metacounts=3

[column0]
content=Alice Martin\nBruno Keller\nChiara Rossi\nDmitri Volkov\nEmma Dubois\nFatima Haddad\nGustav Lindqvist\nHana Novak\nIbrahim Diallo\nJulia Santos\nKenji Watanabe\nLena Fischer\nMarco Bianchi\nNadia Petrova\nOscar Jensen\nPriya Raman\nQuentin Moreau\nRosa Delgado\nSamuel Okafor\nTereza Horvat\nUmar Siddiqui\nValentina Greco\nWilliam Hughes\nXenia Popescu\nYusuf Demir\nZofia Kowalska\nArjun Mehta\nBeatriz Costa\nConnor Walsh\nDaniela Ruiz\nElias Berg\nFreya Nielsen\nGoran Petrovic\nHelena Wagner\nInes Ferreira\nJonas Schmidt
snippet=#1#

[column1]
content=alice.martin@example.com\nbruno.keller@example.org\nchiara.rossi@example.net\ndmitri.volkov@example.com\nemma.dubois@example.org\nfatima.haddad@example.net\ngustav.lindqvist@example.com\nhana.novak@example.org\nibrahim.diallo@example.net\njulia.santos@example.com\nkenji.watanabe@example.org\nlena.fischer@example.net\nmarco.bianchi@example.com\nnadia.petrova@example.org\noscar.jensen@example.net\npriya.raman@example.com\nquentin.moreau@example.org\nrosa.delgado@example.net\nsamuel.okafor@example.com\ntereza.horvat@example.org\numar.siddiqui@example.net\nvalentina.greco@example.com\nwilliam.hughes@example.org\nxenia.popescu@example.net\nyusuf.demir@example.com\nzofia.kowalska@example.org\narjun.mehta@example.net\nbeatriz.costa@example.com\nconnor.walsh@example.org\ndaniela.ruiz@example.net\nelias.berg@example.com\nfreya.nielsen@example.org\ngoran.petrovic@example.net\nhelena.wagner@example.com\nines.ferreira@example.org\njonas.schmidt@example.net
snippet=#2#

[column2]
content=admin\neditor\neditor\nviewer\nviewer\nadmin\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nadmin\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nviewer\neditor\nviewer\nviewer\nadmin
snippet=#3#
