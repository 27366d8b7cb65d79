[global]
multiline=true
template="INSERT INTO users (name, email, role) VALUES ('#1#', '#2#', '#3#');"
metacounts=3

[column0]
content=Alice Martin\nBruno Keller\nChiara Rossi\nDmitri Volkov\nEmma Dubois\nFatima Haddad
snippet=#1#

[column1]
content=alice.martin@example.com\nbruno.keller@example.com\nchiara.rossi@example.com\ndmitri.volkov@example.com\nemma.dubois@example.com\nfatima.haddad@example.com
snippet=#2#

[column2]
content=admin\neditor\neditor\nviewer\nviewer\nviewer
snippet=#3#
