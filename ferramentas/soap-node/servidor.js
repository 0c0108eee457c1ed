'use strict';
// An independent SOAP stack for the interoperability test: the npm package
// soap serves the three document/literal Vapora services (GerarOPWS,
// ProgramacaoWS, TipoFioWS) from the project's own WSDL files and records the
// arguments it parsed for every call.
//
//   node servidor.js [--porta N]     (0, the default, picks a free port)
//
// Prints "soap-node: ouvindo em http://127.0.0.1:PORT/" once it listens.
// GET /controle/recebidos answers the recorded calls as JSON:
//   [{"servico": "GerarOPWS", "operacao": "gerarOP", "args": {...}}, ...]
// A call whose first argument holds the text "FALHAR" is answered with a
// SOAP fault of that text.

const fs = require('fs');
const http = require('http');
const path = require('path');
const soap = require('soap');

const PASTA_WSDL = path.join(__dirname, '..', 'servico-soap', 'wsdl');
const SERVICOS = {
  GerarOPWS: ['excluir', 'gerarOP'],
  ProgramacaoWS: ['programar', 'excluirProgramacao', 'atualizarPodeIniciar'],
  TipoFioWS: ['save', 'delete'],
};

function opcao(nome, padrao) {
  const i = process.argv.indexOf(nome);
  return i >= 0 && i + 1 < process.argv.length ? process.argv[i + 1] : padrao;
}

const recebidos = [];

function implementacao(servico) {
  const operacoes = {};
  for (const operacao of SERVICOS[servico]) {
    operacoes[operacao] = (args) => {
      recebidos.push({ servico, operacao, args });
      if (JSON.stringify(args || {}).includes('FALHAR')) {
        throw { Fault: { faultcode: 'soap:Server', faultstring: 'FALHAR: recusado pelo serviço' } };
      }
      return {};
    };
  }
  return { [`${servico}Service`]: { [`${servico}Port`]: operacoes } };
}

const servidor = http.createServer((req, res) => {
  if (req.method === 'GET' && req.url === '/controle/recebidos') {
    res.writeHead(200, { 'Content-Type': 'application/json; charset=utf-8' });
    res.end(JSON.stringify(recebidos));
    return;
  }
  res.writeHead(404, { 'Content-Type': 'text/plain' });
  res.end('nada aqui\n');
});

servidor.listen(Number(opcao('--porta', '0')), '127.0.0.1', () => {
  const base = `http://127.0.0.1:${servidor.address().port}`;
  for (const servico of Object.keys(SERVICOS)) {
    const xml = fs.readFileSync(path.join(PASTA_WSDL, `${servico}.wsdl`), 'utf8')
      .split('http://ENDERECO-DO-SERVICO').join(base);
    soap.listen(servidor, { path: `/integracao/${servico}`, services: implementacao(servico), xml });
  }
  console.log(`soap-node: ouvindo em ${base}/`);
});
